#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Walking UTF-8 text character by character, for names and files the packer checks, and
// its UTF-16LE form, which the setup's profile reader takes.
class Utf8Text {
public:
    // The character at `at`, stepping past it; false for a malformed sequence (a stray or
    // missing continuation byte, an overlong form, a surrogate, beyond U+10FFFF).
    static bool Next(const std::string& text, size_t& at, uint32_t& codePoint);
    static bool Valid(const std::string& text);
    static bool Ascii(const std::string& text);

    // Appends the text in UTF-16LE, characters beyond U+FFFF as surrogate pairs; false,
    // with nothing appended, for text that is not UTF-8.
    static bool AppendUtf16Le(const std::string& text, std::vector<uint8_t>& utf16);
    // UTF-16LE bytes as UTF-8; false for an odd number of bytes or a surrogate without its
    // partner. units tells how many whole 16-bit units were read before the fault.
    static bool FromUtf16Le(const uint8_t* bytes, size_t length, std::string& text, size_t& units);
};
