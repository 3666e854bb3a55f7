#include "engine/zip/ZipPlatform.h"

#include <windows.h>

#include "framework/FileApi.h"
#include "framework/WideText.h"

ZipPlatform::File ZipPlatform::OpenForReading(const char* fileName)
{
    HANDLE file = FileApi::Open(fileName, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

uint32_t ZipPlatform::Read(File file, void* buffer, uint32_t length)
{
    DWORD read = 0;
    if (!ReadFile(static_cast<HANDLE>(file), buffer, length, &read, nullptr))
        return 0;
    return read;
}

bool ZipPlatform::Seek(File file, int64_t offset, int origin)
{
    static const DWORD methods[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
    if (origin < 0 || origin > 2)
        return false;
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    return SetFilePointerEx(static_cast<HANDLE>(file), distance, nullptr, methods[origin]) != FALSE;
}

int64_t ZipPlatform::Tell(File file)
{
    LARGE_INTEGER zero;
    zero.QuadPart = 0;
    LARGE_INTEGER position;
    if (!SetFilePointerEx(static_cast<HANDLE>(file), zero, &position, FILE_CURRENT))
        return -1;
    return position.QuadPart;
}

void ZipPlatform::Close(File file)
{
    CloseHandle(static_cast<HANDLE>(file));
}

bool ZipPlatform::SystemTimeToFileTime(const ZipSystemTime& time, uint64_t& fileTime)
{
    SYSTEMTIME system = {};
    system.wYear = time.year;
    system.wMonth = time.month;
    system.wDay = time.day;
    system.wHour = time.hour;
    system.wMinute = time.minute;
    system.wSecond = time.second;
    system.wMilliseconds = time.milliseconds;
    FILETIME result;
    if (!::SystemTimeToFileTime(&system, &result))
        return false;
    fileTime = (uint64_t(result.dwHighDateTime) << 32) | result.dwLowDateTime;
    return true;
}

bool ZipPlatform::LocalFileTimeToFileTime(uint64_t localFileTime, uint64_t& fileTime)
{
    FILETIME local;
    local.dwLowDateTime = DWORD(localFileTime);
    local.dwHighDateTime = DWORD(localFileTime >> 32);
    FILETIME utc;
    if (!::LocalFileTimeToFileTime(&local, &utc))
        return false;
    fileTime = (uint64_t(utc.dwHighDateTime) << 32) | utc.dwLowDateTime;
    return true;
}

bool ZipPlatform::FromUtf8(const std::string& utf8, uint32_t codePage, std::string& text)
{
    text.clear();
    if (utf8.empty())
        return true;
    if (!WideText::IsUtf8(utf8))
        return false;
    std::wstring wide = WideText::FromUtf8(utf8);
    UINT target = codePage == 0 ? ::GetACP() : codePage;
    BOOL defaulted = FALSE;
    BOOL* check = target == CP_UTF8 ? nullptr : &defaulted;
    DWORD flags = target == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    int bytes = ::WideCharToMultiByte(target, flags, wide.data(), int(wide.size()), nullptr, 0, nullptr, check);
    if (bytes <= 0 || defaulted)
        return false;
    text.assign(size_t(bytes), '\0');
    ::WideCharToMultiByte(target, flags, wide.data(), int(wide.size()), &text[0], bytes, nullptr, check);
    return !defaulted;
}

bool ZipPlatform::ToUtf8(const std::string& bytes, uint32_t codePage, std::string& utf8)
{
    utf8 = WideText::Utf8FromCodePage(bytes, codePage);
    return bytes.empty() || !utf8.empty();
}
