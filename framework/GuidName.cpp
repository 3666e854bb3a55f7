#include "framework/GuidName.h"

#include <windows.h>
#include <objbase.h>

#include <cstdio>

std::string GuidName::Make(const std::string& prefix)
{
    GUID guid{};
    if (FAILED(::CoCreateGuid(&guid)))
        return std::string();
    char digits[33];
    std::snprintf(digits, sizeof(digits), "%08lX%04X%04X%02X%02X%02X%02X%02X%02X%02X%02X", guid.Data1, guid.Data2,
                  guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                  guid.Data4[6], guid.Data4[7]);
    return prefix + digits;
}
