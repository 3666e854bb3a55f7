#include "framework/WholeFile.h"

#include "framework/FileApi.h"
#include "framework/HandleIo.h"
#include "framework/ScopedHandle.h"

bool WholeFile::Read(const std::string& path, std::string& bytes, size_t maxBytes)
{
    bytes.clear();
    // Shared for writing too: a log being written by a run that died holds no lock.
    ScopedHandle file(FileApi::Open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        static_cast<unsigned long long>(size.QuadPart) > maxBytes)
        return false;
    std::string read(static_cast<size_t>(size.QuadPart), '\0');
    if (!read.empty() && !HandleIo::ReadAll(file.get(), &read[0], read.size()))
        return false;
    bytes = std::move(read);
    return true;
}
