// Arbitrary bytes as an archive file: open it, describe and read every item (with a bound
// on items and chunks per input), and check that no returned name could leave a target
// folder, that every name is UTF-8 within the length limit, and that a damaged name comes
// back empty.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "engine/zip/ZipItemName.h"
#include "engine/zip/ZipReader.h"

namespace {

const std::string& ScratchFile()
{
    static const std::string path = [] {
        std::string p = (std::filesystem::temp_directory_path()
                         / ("orvanta-zip-fuzz-" + std::to_string(getpid()) + ".zip")).string();
        std::atexit([] { std::remove(ScratchFile().c_str()); });
        return p;
    }();
    return path;
}

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

void CheckName(const ZipItemInfo& info)
{
    const char* name = info.name;
    size_t length = strnlen(name, ZipItemInfo::NameSize);
    if (length >= ZipItemInfo::NameSize || (info.nameDamaged && length != 0))
        std::abort();
    const std::string text(name, length);
    if (!ZipItemName::IsUtf8(text) || ZipItemName::Cut(text, ZipItemInfo::NameUnits) != text)
        std::abort();
    if (IsSeparator(name[0]) || (name[0] != '\0' && name[1] == ':'))
        std::abort();
    size_t start = 0;
    for (size_t i = 0; i <= length; ++i) {
        if (i == length || IsSeparator(name[i])) {
            if (i - start == 2 && name[start] == '.' && name[start + 1] == '.')
                std::abort();
            start = i + 1;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FILE* file = std::fopen(ScratchFile().c_str(), "wb");
    if (file == nullptr)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    ZipHandle handle = ZipReader::OpenFile(ScratchFile().c_str(), (size & 1) ? "pw" : nullptr);
    if (handle == nullptr)
        return 0;
    static char buffer[0x4000];
    ZipItemInfo info;
    ZipReader::GetItem(handle, -1, info);
    int32_t count = info.index < 64 ? info.index : 64;
    int chunks = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (ZipReader::GetItem(handle, i, info) == ZipOk)
            CheckName(info);
        while (chunks++ < 256 && ZipReader::ReadItem(handle, i, buffer, sizeof buffer) == ZipMore) {
        }
    }
    if (count > 0) {
        ZipReader::GetItem(handle, count - 1, info);
        ZipReader::GetItem(handle, 0, info);
        ZipReader::ReadItem(handle, count - 1, buffer, 7);
        ZipReader::ReadItem(handle, 0, buffer, 7);
        ZipReader::GetItem(handle, 0, info);
    }
    ZipReader::Close(handle);
    return 0;
}
