#include "zip/CountingZipPlatform.h"

#include <cstdio>

#include "engine/zip/ZipPlatform.h"

#include <map>

namespace {
std::map<int64_t, long> readsFrom;

FILE* Stream(ZipPlatform::File file)
{
    return static_cast<FILE*>(file);
}
} // namespace

long ZipPlatformReadsFrom(int64_t offset)
{
    return readsFrom[offset];
}

ZipPlatform::File ZipPlatform::OpenForReading(const char* fileName)
{
    return std::fopen(fileName, "rb");
}

uint32_t ZipPlatform::Read(File file, void* buffer, uint32_t length)
{
    ++readsFrom[std::ftell(Stream(file))];
    return uint32_t(std::fread(buffer, 1, length, Stream(file)));
}

bool ZipPlatform::Seek(File file, int64_t offset, int origin)
{
    static const int whence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    return origin >= 0 && origin <= 2 && std::fseek(Stream(file), long(offset), whence[origin]) == 0;
}

int64_t ZipPlatform::Tell(File file)
{
    return std::ftell(Stream(file));
}

void ZipPlatform::Close(File file)
{
    std::fclose(Stream(file));
}

bool ZipPlatform::SystemTimeToFileTime(const ZipSystemTime&, uint64_t& fileTime)
{
    fileTime = 0;
    return true;
}

bool ZipPlatform::LocalFileTimeToFileTime(uint64_t localFileTime, uint64_t& fileTime)
{
    fileTime = localFileTime;
    return true;
}

bool ZipPlatform::FromUtf8(const std::string& utf8, uint32_t, std::string& text)
{
    text = utf8;
    return true;
}
