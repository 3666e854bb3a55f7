#include "framework/WideText.h"

#include <windows.h>

std::wstring WideText::FromUtf8(const std::string& utf8)
{
    if (utf8.empty())
        return std::wstring();
    int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (n <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], n);
    return wide;
}

std::string WideText::ToUtf8(const wchar_t* wide, size_t length)
{
    if (!wide || length == 0)
        return std::string();
    int n = ::WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return std::string();
    std::string text(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), &text[0], n, nullptr, nullptr);
    return text;
}

std::string WideText::ToUtf8(const wchar_t* wide)
{
    return wide ? ToUtf8(wide, ::lstrlenW(wide)) : std::string();
}

std::string WideText::Utf8FromCodePage(const std::string& bytes, unsigned codePage)
{
    if (bytes.empty())
        return std::string();
    UINT source = codePage == 0 ? CP_ACP : codePage;
    int units = ::MultiByteToWideChar(source, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                                      nullptr, 0);
    if (units <= 0)
        return std::string();
    std::wstring wide(static_cast<size_t>(units), L'\0');
    ::MultiByteToWideChar(source, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), &wide[0], units);
    return ToUtf8(wide);
}

bool WideText::IsUtf8(const std::string& text)
{
    return text.empty() || ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                                 static_cast<int>(text.size()), nullptr, 0) > 0;
}

bool WideText::SameIgnoringCase(const std::wstring& a, const std::wstring& b)
{
    return SameIgnoringCase(a.data(), a.size(), b.data(), b.size());
}

bool WideText::SameIgnoringCase(const wchar_t* a, size_t aLength, const wchar_t* b, size_t bLength)
{
    return ::CompareStringOrdinal(a, static_cast<int>(aLength), b, static_cast<int>(bLength), TRUE) == CSTR_EQUAL;
}
