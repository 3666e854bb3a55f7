#pragma once
#include <cstdint>
#include <vector>

#include <ioapi.h>
#include <unzip.h>
#include <zip.h>

// minizip's file functions over a byte vector, so archives are written and read in memory.
// The vector must outlive every zipFile/unzFile opened through Functions().
class MemoryZipFile {
public:
    // Reading and writing; creating an archive empties the vector first.
    explicit MemoryZipFile(std::vector<uint8_t>& bytes);
    // Reading only; every write fails.
    explicit MemoryZipFile(const std::vector<uint8_t>& bytes);

    zlib_filefunc64_def Functions();
    // The bytes opened as an archive to read (minizip keeps its own copy of the functions);
    // null when they hold none.
    unzFile OpenArchive();
    // The bytes opened as an archive to write: APPEND_STATUS_CREATE starts a new one,
    // APPEND_STATUS_ADDINZIP adds to the one they hold; null on failure.
    zipFile OpenArchiveToWrite(int appendStatus);

private:
    static voidpf Open(voidpf opaque, const void* name, int mode);
    static uLong Read(voidpf opaque, voidpf stream, void* buffer, uLong size);
    static uLong Write(voidpf opaque, voidpf stream, const void* buffer, uLong size);
    static ZPOS64_T Tell(voidpf opaque, voidpf stream);
    static long Seek(voidpf opaque, voidpf stream, ZPOS64_T offset, int origin);
    static int Close(voidpf opaque, voidpf stream);
    static int Error(voidpf opaque, voidpf stream);

    const std::vector<uint8_t>* source;
    std::vector<uint8_t>* target;
    uint64_t position = 0;
};
