#include "engine/zip/ZipFileStream.h"

#include <cstring>
#include <new>

#include "engine/zip/ZipPlatform.h"

namespace {

// minizip reads every header field on its own, most of them one byte at a time, and
// asks for the position between fields. Straight through to the system, one item's
// description costs about a hundred reads, which under Wine is most of the time spent on
// a small file. The stream keeps two small windows of the file and knows its position,
// so those reads and position queries are answered from memory: one window follows the
// central directory, the other the local headers, which a walk over the items visits in
// turn. Reads of a window's size or more (minizip's 16 KiB reads of item data) go
// straight to the caller's buffer.
constexpr uint32_t kWindowBytes = 0x1000;

struct Window {
    int64_t start = 0;
    uint32_t length = 0;
    char bytes[kWindowBytes];
};

struct Stream {
    ZipPlatform::File file = nullptr;
    int64_t position = 0;       // where minizip believes it is
    int64_t filePosition = 0;   // where the system's file pointer is
    Window windows[2];
    int lastUsed = 0;
};

bool PlaceFilePointer(Stream& s)
{
    if (s.filePosition == s.position)
        return true;
    if (!ZipPlatform::Seek(s.file, s.position, 0))
        return false;
    s.filePosition = s.position;
    return true;
}

uint32_t ReadThrough(Stream& s, char* out, uint32_t length)
{
    if (!PlaceFilePointer(s))
        return 0;
    uint32_t got = ZipPlatform::Read(s.file, out, length);
    s.filePosition += got;
    s.position += got;
    return got;
}

bool Holds(const Window& w, int64_t position)
{
    return position >= w.start && position - w.start < int64_t(w.length);
}

// The window that holds the position, else the one used longer ago refilled from it.
Window* WindowAt(Stream& s)
{
    for (int i = 0; i < 2; ++i) {
        if (Holds(s.windows[i], s.position)) {
            s.lastUsed = i;
            return &s.windows[i];
        }
    }
    s.lastUsed = 1 - s.lastUsed;
    Window& w = s.windows[s.lastUsed];
    w.length = 0;
    w.start = s.position;
    if (!PlaceFilePointer(s))
        return nullptr;
    w.length = ZipPlatform::Read(s.file, w.bytes, kWindowBytes);
    s.filePosition += w.length;
    return w.length > 0 ? &w : nullptr;
}

uint32_t ReadBuffered(Stream& s, char* out, uint32_t length)
{
    uint32_t done = 0;
    while (done < length) {
        bool held = Holds(s.windows[0], s.position) || Holds(s.windows[1], s.position);
        if (!held && length - done >= kWindowBytes)
            return done + ReadThrough(s, out + done, length - done);
        Window* w = WindowAt(s);
        if (w == nullptr)
            break;
        uint32_t offset = uint32_t(s.position - w->start);
        uint32_t available = w->length - offset;
        uint32_t step = length - done < available ? length - done : available;
        std::memcpy(out + done, w->bytes + offset, step);
        done += step;
        s.position += step;
    }
    return done;
}

Stream& Of(voidpf stream)
{
    return *static_cast<Stream*>(stream);
}

// A file the caller holds open comes as the table's opaque value: the stream reads it from
// its start and leaves it open.
voidpf ZCALLBACK OpenStream(voidpf held, const void* fileName, int)
{
    ZipPlatform::File file = held ? held : ZipPlatform::OpenForReading(static_cast<const char*>(fileName));
    if (file == nullptr || (held && !ZipPlatform::Seek(file, 0, 0)))
        return nullptr;
    Stream* stream = new (std::nothrow) Stream;
    if (stream == nullptr) {
        if (!held)
            ZipPlatform::Close(file);
        return nullptr;
    }
    stream->file = file;
    return stream;
}

uLong ZCALLBACK ReadStream(voidpf, voidpf stream, void* buffer, uLong size)
{
    // minizip never asks for more than a 32-bit count at once; a larger request reads short
    // and is taken as an error by its caller.
    uint32_t length = size > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(size);
    return ReadBuffered(Of(stream), static_cast<char*>(buffer), length);
}

uLong ZCALLBACK WriteStream(voidpf, voidpf, const void*, uLong)
{
    return 0;
}

ZPOS64_T ZCALLBACK TellStream(voidpf, voidpf stream)
{
    return ZPOS64_T(Of(stream).position);
}

// minizip passes backward relative moves as the two's complement in the unsigned offset.
// A move before the start of the file fails and leaves the position as it was.
long ZCALLBACK SeekStream(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    Stream& s = Of(stream);
    int64_t base = 0;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR) {
        base = s.position;
    } else if (origin == ZLIB_FILEFUNC_SEEK_END) {
        // Only the system knows the end; the file pointer is then where the next read
        // of the system would start, which the stream remembers.
        if (!ZipPlatform::Seek(s.file, 0, 2))
            return -1;
        base = ZipPlatform::Tell(s.file);
        s.filePosition = base;
        if (base < 0)
            return -1;
    }
    int64_t target = base + int64_t(offset);
    if (target < 0)
        return -1;
    s.position = target;
    return 0;
}

int ZCALLBACK CloseStream(voidpf held, voidpf stream)
{
    if (!held)
        ZipPlatform::Close(Of(stream).file);
    delete static_cast<Stream*>(stream);
    return 0;
}

// minizip asks only after a header field came back short. Left at "no error", it would
// take the missing bytes of a field cut off by the end of the file as zeros.
int ZCALLBACK StreamError(voidpf, voidpf)
{
    return 1;
}

} // namespace

zlib_filefunc64_def ZipFileStream::Functions(ZipPlatform::File held)
{
    zlib_filefunc64_def functions = {};
    functions.zopen64_file = OpenStream;
    functions.zread_file = ReadStream;
    functions.zwrite_file = WriteStream;
    functions.ztell64_file = TellStream;
    functions.zseek64_file = SeekStream;
    functions.zclose_file = CloseStream;
    functions.zerror_file = StreamError;
    functions.opaque = held;
    return functions;
}
