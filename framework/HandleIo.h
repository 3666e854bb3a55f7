#pragma once
#include <windows.h>

#include <cstddef>

// Whole reads and writes through an open handle: ReadFile and WriteFile may move fewer
// bytes than asked, so both loop until all are moved; a call that moves nothing fails.
class HandleIo {
public:
    static bool ReadAll(HANDLE file, char* bytes, size_t count);
    static bool WriteAll(HANDLE file, const char* bytes, size_t count);
};
