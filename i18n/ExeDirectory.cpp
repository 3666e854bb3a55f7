#include "i18n/ExeDirectory.h"

#include "i18n/AnsiText.h"

#include <windows.h>

std::string GetExeDirectory()
{
    char buffer[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    // A cut path would name some other folder: better none than a wrong one.
    if (length == 0 || length >= MAX_PATH)
        return std::string();
    std::string path(buffer, length);
    std::size_t separator = AnsiText::FindLast(path, '\\');
    return separator == std::string::npos ? std::string() : path.substr(0, separator);
}
