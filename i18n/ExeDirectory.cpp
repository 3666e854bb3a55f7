#include "i18n/ExeDirectory.h"

#include "framework/FileApi.h"

std::string GetExeDirectory()
{
    // In UTF-8 a backslash byte is always the character itself, never part of another.
    std::string path = FileApi::ModulePath();
    std::size_t separator = path.rfind('\\');
    return separator == std::string::npos ? std::string() : path.substr(0, separator);
}
