#include "tools/FileIdentity.h"

#include <sys/stat.h>

bool FileIdentity::Of(const std::string& path, FileIdentity& identity)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return false;
    identity.volume = uint64_t(status.st_dev);
    identity.index = uint64_t(status.st_ino);
    return true;
}
