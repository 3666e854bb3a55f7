#include "i18n/ProfileFile.h"

#include "framework/WideText.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <string>

namespace {

// The value limit: 2047 UTF-16 units and the terminator. It counts characters, as the
// reader does, so a translation holds as many characters in any language (counted in
// code page 936 bytes, a Chinese one would hold half as many); the UTF-8 the value
// becomes may be up to three times as long in bytes.
constexpr DWORD kValueBufferSize = 2048;

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

void ProfileFile::SetFile(const std::string& path)
{
    iniPath_ = path;
    // The system keeps a parsed copy of recently read profile files and trusts it while
    // the file's write time looks unchanged (or the file is missing). The engine unpacks a
    // new lang.ini over an earlier one at the same path, so the copy is dropped here and
    // the next read sees the file as it is now. With all three names null this call only
    // flushes; it never writes to the file.
    ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, WideText::FromUtf8(iniPath_).c_str());
}

std::string ProfileFile::ReadString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue) const
{
    wchar_t buffer[kValueBufferSize] = {};
    DWORD length = ::GetPrivateProfileStringW(WideText::FromUtf8(section).c_str(), WideText::FromUtf8(key).c_str(),
                                              WideText::FromUtf8(defaultValue).c_str(), buffer, kValueBufferSize,
                                              WideText::FromUtf8(iniPath_).c_str());
    length = std::min<DWORD>(length, kValueBufferSize - 1);
    // A value cut at the limit may end in the first half of a surrogate pair: the cut
    // goes before that character rather than leaving half of it.
    if (length == kValueBufferSize - 1 && IS_HIGH_SURROGATE(buffer[length - 1]))
        --length;
    return WideText::ToUtf8(buffer, length);
}

int ProfileFile::ReadInt(const std::string& section, const std::string& key, int defaultValue) const
{
    return ToInt(ReadString(section, key, std::to_string(defaultValue)));
}

int ProfileFile::ToInt(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    // Out-of-range numbers saturate instead of overflowing.
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        value = INT_MAX;
    return static_cast<int>(value);
}
