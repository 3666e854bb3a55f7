#pragma once
#include <string>

// ANSI paths are compared and split as UTF-16: in code page 936 a trail byte may equal
// '\\' or an ASCII letter, so the bytes cannot be taken one by one.
class WideText {
public:
    // The text in the system's ANSI code page as UTF-16; empty for empty or invalid text.
    static std::wstring FromAnsi(const std::string& text);
    // Equal ignoring case, as the file system compares names (ordinal, no locale).
    static bool SameIgnoringCase(const std::wstring& a, const std::wstring& b);
    static bool SameIgnoringCase(const wchar_t* a, size_t aLength, const wchar_t* b, size_t bLength);
    // UTF-8 text in codePage (0: the system's ANSI code page). False for text that is not
    // UTF-8 or holds a character the code page cannot hold exactly: nothing is ever
    // replaced by a look-alike or "?", so a name never turns into another one.
    static bool AnsiFromUtf8(const std::string& utf8, unsigned codePage, std::string& text);
    // The same from UTF-16.
    static bool AnsiFromWide(const std::wstring& wide, std::string& text, unsigned codePage = 0);
};
