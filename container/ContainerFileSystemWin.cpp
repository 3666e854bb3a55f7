#include "container/ContainerFileSystem.h"

#include <windows.h>

#include "framework/FileApi.h"
#include "framework/WideText.h"

bool ContainerFileSystem::CreateFolder(const std::string& path)
{
    return FileApi::MakeFolder(path);
}

bool ContainerFileSystem::PathExists(const std::string& path)
{
    return FileApi::Attributes(path) != INVALID_FILE_ATTRIBUTES;
}

std::FILE* ContainerFileSystem::OpenStream(const std::string& path, const char* mode)
{
    return ::_wfopen(WideText::FromUtf8(path).c_str(), WideText::FromUtf8(mode).c_str());
}

size_t ContainerFileSystem::PathLength(const std::string& path)
{
    return WideText::FromUtf8(path).size();
}
