#include "tools/FileIdentity.h"

#include <filesystem>

#include <windows.h>

// The path is opened the way std::filesystem opens it, so names outside the code page
// reach the same file the packer reads and writes.
bool FileIdentity::Of(const std::string& path, FileIdentity& identity)
{
    HANDLE file = ::CreateFileW(std::filesystem::path(path).c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION information{};
    const bool known = ::GetFileInformationByHandle(file, &information) != 0;
    ::CloseHandle(file);
    if (!known)
        return false;
    identity.volume = information.dwVolumeSerialNumber;
    identity.index = (uint64_t(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
    return true;
}
