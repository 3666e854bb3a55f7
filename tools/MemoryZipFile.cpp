#include "tools/MemoryZipFile.h"

#include <algorithm>
#include <cstring>

MemoryZipFile::MemoryZipFile(std::vector<uint8_t>& bytes) : source(&bytes), target(&bytes)
{
}

MemoryZipFile::MemoryZipFile(const std::vector<uint8_t>& bytes) : source(&bytes), target(nullptr)
{
}

zlib_filefunc64_def MemoryZipFile::Functions()
{
    zlib_filefunc64_def functions = {};
    functions.zopen64_file = &MemoryZipFile::Open;
    functions.zread_file = &MemoryZipFile::Read;
    functions.zwrite_file = &MemoryZipFile::Write;
    functions.ztell64_file = &MemoryZipFile::Tell;
    functions.zseek64_file = &MemoryZipFile::Seek;
    functions.zclose_file = &MemoryZipFile::Close;
    functions.zerror_file = &MemoryZipFile::Error;
    functions.opaque = this;
    return functions;
}

voidpf MemoryZipFile::Open(voidpf opaque, const void*, int mode)
{
    MemoryZipFile* self = static_cast<MemoryZipFile*>(opaque);
    if (mode & ZLIB_FILEFUNC_MODE_CREATE) {
        if (!self->target)
            return nullptr;
        self->target->clear();
    }
    self->position = 0;
    return self;
}

uLong MemoryZipFile::Read(voidpf, voidpf stream, void* buffer, uLong size)
{
    MemoryZipFile* self = static_cast<MemoryZipFile*>(stream);
    const std::vector<uint8_t>& bytes = *self->source;
    if (self->position >= bytes.size())
        return 0;
    uLong count = static_cast<uLong>(std::min<uint64_t>(size, bytes.size() - self->position));
    std::memcpy(buffer, bytes.data() + self->position, count);
    self->position += count;
    return count;
}

uLong MemoryZipFile::Write(voidpf, voidpf stream, const void* buffer, uLong size)
{
    MemoryZipFile* self = static_cast<MemoryZipFile*>(stream);
    if (!self->target)
        return 0;
    uint64_t end = self->position + size;
    if (end > self->target->size())
        self->target->resize(end);
    std::memcpy(self->target->data() + self->position, buffer, size);
    self->position = end;
    return size;
}

ZPOS64_T MemoryZipFile::Tell(voidpf, voidpf stream)
{
    return static_cast<MemoryZipFile*>(stream)->position;
}

long MemoryZipFile::Seek(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    MemoryZipFile* self = static_cast<MemoryZipFile*>(stream);
    uint64_t from = 0;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR)
        from = self->position;
    else if (origin == ZLIB_FILEFUNC_SEEK_END)
        from = self->source->size();
    else if (origin != ZLIB_FILEFUNC_SEEK_SET)
        return -1;
    uint64_t wanted = from + offset;
    if (wanted > self->source->size())
        return -1;
    self->position = wanted;
    return 0;
}

int MemoryZipFile::Close(voidpf, voidpf)
{
    return 0;
}

int MemoryZipFile::Error(voidpf, voidpf)
{
    return 0;
}

unzFile MemoryZipFile::OpenArchive()
{
    zlib_filefunc64_def functions = Functions();
    return unzOpen2_64("Orva.zip", &functions);
}

zipFile MemoryZipFile::OpenArchiveToWrite(int appendStatus)
{
    zlib_filefunc64_def functions = Functions();
    return zipOpen2_64("Orva.zip", appendStatus, nullptr, &functions);
}
