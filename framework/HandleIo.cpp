#include "framework/HandleIo.h"

bool HandleIo::ReadAll(HANDLE file, char* bytes, size_t count)
{
    while (count > 0) {
        DWORD got = 0;
        if (!::ReadFile(file, bytes, static_cast<DWORD>(count), &got, nullptr) || got == 0)
            return false;
        bytes += got;
        count -= got;
    }
    return true;
}

bool HandleIo::WriteAll(HANDLE file, const char* bytes, size_t count)
{
    while (count > 0) {
        DWORD put = 0;
        if (!::WriteFile(file, bytes, static_cast<DWORD>(count), &put, nullptr) || put == 0)
            return false;
        bytes += put;
        count -= put;
    }
    return true;
}
