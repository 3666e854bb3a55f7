#pragma once
#include <cstdint>

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

// The system calls the ZIP reader needs: reading the archive file and turning an item's
// local time stamp into UTC. Win32 in the setup; POSIX on the host, where the reader is
// unit-tested and fuzzed.
class ZipPlatform {
public:
    using File = void*;

    // Opens an existing file for reading, shared for reading only; null on failure.
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
};
