#pragma once
#include <cstdint>
#include <string>

// Calendar fields of a local time, as the Win32 SYSTEMTIME holds them.
struct ZipSystemTime {
    uint16_t year = 0;
    uint16_t month = 0;
    uint16_t day = 0;
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;
    uint16_t milliseconds = 0;
};

// The system calls the ZIP reader needs: reading the archive file, turning an item's
// local time stamp into UTC, and a name stored in the code page into UTF-8 (the packer also
// converts the other way). Win32 in the setup; POSIX on the host, where the reader is
// unit-tested and fuzzed and the packer runs.
class ZipPlatform {
public:
    using File = void*;

    // Opens an existing file (a UTF-8 path) for reading, shared for reading only; null on failure.
    static File OpenForReading(const char* fileName);
    // Reads up to length bytes; returns the number read (short only at the end or on error).
    static uint32_t Read(File file, void* buffer, uint32_t length);
    // origin: 0 from the start, 1 from the current position, 2 from the end.
    static bool Seek(File file, int64_t offset, int origin);
    // The current position, or -1 on failure.
    static int64_t Tell(File file);
    static void Close(File file);

    // Win32 semantics: false for fields that name no valid date and time.
    static bool SystemTimeToFileTime(const ZipSystemTime& time, uint64_t& fileTime);
    static bool LocalFileTimeToFileTime(uint64_t localFileTime, uint64_t& fileTime);

    // UTF-8 text in codePage (0: the system's ANSI code page; code page 936 on a POSIX
    // host, the setup's own). False for text that is not UTF-8 or holds a character the
    // code page cannot hold exactly: nothing is ever replaced by a look-alike or "?".
    static bool FromUtf8(const std::string& utf8, uint32_t codePage, std::string& text);
    // Bytes of codePage (0 as above) as UTF-8. False for bytes that are no text there.
    static bool ToUtf8(const std::string& bytes, uint32_t codePage, std::string& utf8);
};
