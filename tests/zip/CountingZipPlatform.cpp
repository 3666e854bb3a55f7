#include "zip/CountingZipPlatform.h"

#include <cstdio>

#include "engine/zip/ZipPlatform.h"

namespace {
long calls = 0;

FILE* Stream(ZipPlatform::File file)
{
    return static_cast<FILE*>(file);
}
} // namespace

long ZipPlatformCalls()
{
    return calls;
}

ZipPlatform::File ZipPlatform::OpenForReading(const char* fileName)
{
    ++calls;
    return std::fopen(fileName, "rb");
}

uint32_t ZipPlatform::Read(File file, void* buffer, uint32_t length)
{
    ++calls;
    return uint32_t(std::fread(buffer, 1, length, Stream(file)));
}

bool ZipPlatform::Seek(File file, int64_t offset, int origin)
{
    ++calls;
    static const int whence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    return origin >= 0 && origin <= 2 && std::fseek(Stream(file), long(offset), whence[origin]) == 0;
}

int64_t ZipPlatform::Tell(File file)
{
    ++calls;
    return std::ftell(Stream(file));
}

void ZipPlatform::Close(File file)
{
    ++calls;
    std::fclose(Stream(file));
}

bool ZipPlatform::SystemTimeToFileTime(const ZipSystemTime&, uint64_t& fileTime)
{
    ++calls;
    fileTime = 0;
    return true;
}

bool ZipPlatform::LocalFileTimeToFileTime(uint64_t localFileTime, uint64_t& fileTime)
{
    ++calls;
    fileTime = localFileTime;
    return true;
}
