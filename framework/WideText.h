#pragma once
#include <string>

// Text inside the system is UTF-8; Windows takes and gives UTF-16. These are the
// conversions at that boundary, plus the one place where bytes of a code page (a
// built-in text, a lang.ini or a ZIP name without a Unicode mark) become UTF-8.
class WideText {
public:
    // UTF-8 as UTF-16. A byte that is no UTF-8 becomes U+FFFD: text made inside the
    // system is always UTF-8, so only foreign bytes can meet that rule.
    static std::wstring FromUtf8(const std::string& utf8);
    static std::string ToUtf8(const wchar_t* wide, size_t length);
    static std::string ToUtf8(const std::wstring& wide) { return ToUtf8(wide.data(), wide.size()); }
    // A zero-terminated UTF-16 text; null gives empty.
    static std::string ToUtf8(const wchar_t* wide);
    // Bytes of codePage (0: the system's ANSI code page) as UTF-8; empty when they are
    // not valid in that code page.
    static std::string Utf8FromCodePage(const std::string& bytes, unsigned codePage);
    // True for well-formed UTF-8 (no overlong forms, no surrogates).
    static bool IsUtf8(const std::string& text);
    // Equal ignoring case, as the file system compares names (ordinal, no locale).
    static bool SameIgnoringCase(const std::wstring& a, const std::wstring& b);
    static bool SameIgnoringCase(const wchar_t* a, size_t aLength, const wchar_t* b, size_t bLength);
    static bool SameIgnoringCase(const std::string& utf8a, const std::string& utf8b)
    {
        return SameIgnoringCase(FromUtf8(utf8a), FromUtf8(utf8b));
    }
};
