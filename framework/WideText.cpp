#include "framework/WideText.h"

#include <windows.h>

std::wstring WideText::FromAnsi(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    int n = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
    return wide;
}

bool WideText::SameIgnoringCase(const std::wstring& a, const std::wstring& b)
{
    return SameIgnoringCase(a.data(), a.size(), b.data(), b.size());
}

bool WideText::SameIgnoringCase(const wchar_t* a, size_t aLength, const wchar_t* b, size_t bLength)
{
    return ::CompareStringOrdinal(a, static_cast<int>(aLength), b, static_cast<int>(bLength), TRUE) == CSTR_EQUAL;
}

bool WideText::AnsiFromUtf8(const std::string& utf8, unsigned codePage, std::string& text)
{
    text.clear();
    if (utf8.empty())
        return true;
    int units = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), int(utf8.size()), nullptr, 0);
    if (units <= 0)
        return false;
    std::wstring wide(size_t(units), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), int(utf8.size()), &wide[0], units);
    return AnsiFromWide(wide, text, codePage);
}

bool WideText::AnsiFromWide(const std::wstring& wide, std::string& text, unsigned codePage)
{
    text.clear();
    if (wide.empty())
        return true;
    UINT target = codePage == 0 ? ::GetACP() : codePage;
    int units = static_cast<int>(wide.size());
    BOOL defaulted = FALSE;
    BOOL* check = target == CP_UTF8 ? nullptr : &defaulted;
    DWORD flags = target == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    int bytes = ::WideCharToMultiByte(target, flags, wide.data(), units, nullptr, 0, nullptr, check);
    if (bytes <= 0 || defaulted)
        return false;
    text.assign(size_t(bytes), '\0');
    ::WideCharToMultiByte(target, flags, wide.data(), units, &text[0], bytes, nullptr, check);
    if (defaulted) {
        text.clear();
        return false;
    }
    return true;
}
