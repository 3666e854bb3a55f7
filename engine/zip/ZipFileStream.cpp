#include "engine/zip/ZipFileStream.h"

#include "engine/zip/ZipPlatform.h"

namespace {

voidpf ZCALLBACK OpenStream(voidpf, const void* fileName, int)
{
    return ZipPlatform::OpenForReading(static_cast<const char*>(fileName));
}

uLong ZCALLBACK ReadStream(voidpf, voidpf stream, void* buffer, uLong size)
{
    // minizip never asks for more than a 32-bit count at once; a larger request reads short
    // and is taken as an error by its caller.
    uint32_t length = size > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(size);
    return ZipPlatform::Read(stream, buffer, length);
}

uLong ZCALLBACK WriteStream(voidpf, voidpf, const void*, uLong)
{
    return 0;
}

ZPOS64_T ZCALLBACK TellStream(voidpf, voidpf stream)
{
    return ZPOS64_T(ZipPlatform::Tell(stream));
}

// minizip passes backward relative moves as the two's complement in the unsigned offset.
long ZCALLBACK SeekStream(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    int platformOrigin = origin == ZLIB_FILEFUNC_SEEK_CUR ? 1 : origin == ZLIB_FILEFUNC_SEEK_END ? 2 : 0;
    return ZipPlatform::Seek(stream, int64_t(offset), platformOrigin) ? 0 : -1;
}

int ZCALLBACK CloseStream(voidpf, voidpf stream)
{
    ZipPlatform::Close(stream);
    return 0;
}

// minizip asks only after a header field came back short. Left at "no error", it would
// take the missing bytes of a field cut off by the end of the file as zeros.
int ZCALLBACK StreamError(voidpf, voidpf)
{
    return 1;
}

} // namespace

zlib_filefunc64_def ZipFileStream::Functions()
{
    zlib_filefunc64_def functions = {};
    functions.zopen64_file = OpenStream;
    functions.zread_file = ReadStream;
    functions.zwrite_file = WriteStream;
    functions.ztell64_file = TellStream;
    functions.zseek64_file = SeekStream;
    functions.zclose_file = CloseStream;
    functions.zerror_file = StreamError;
    functions.opaque = nullptr;
    return functions;
}
