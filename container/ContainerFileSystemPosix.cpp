#include "container/ContainerFileSystem.h"

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>

namespace {

std::string NativePath(std::string path)
{
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

} // namespace

bool ContainerFileSystem::CreateFolder(const std::string& path)
{
    return !path.empty() && ::mkdir(NativePath(path).c_str(), 0777) == 0;
}

bool ContainerFileSystem::PathExists(const std::string& path)
{
    return !path.empty() && ::access(NativePath(path).c_str(), F_OK) == 0;
}

std::FILE* ContainerFileSystem::OpenStream(const std::string& path, const char* mode)
{
    if (path.empty())
        return nullptr;
    return std::fopen(NativePath(path).c_str(), mode);
}

size_t ContainerFileSystem::PathLength(const std::string& path)
{
    return path.size();
}
