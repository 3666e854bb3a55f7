#include "container/ContainerFileSystem.h"

#include <windows.h>
#include <shlwapi.h>

bool ContainerFileSystem::CreateFolder(const std::string& path)
{
    return CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

bool ContainerFileSystem::PathExists(const std::string& path)
{
    return PathFileExistsA(path.c_str()) != FALSE;
}

std::FILE* ContainerFileSystem::OpenStream(const std::string& path, const char* mode)
{
    return std::fopen(path.c_str(), mode);
}
