#pragma once
#include <cstdint>
#include <string>

// Walking UTF-8 text character by character, for names and files the packer checks.
class Utf8Text {
public:
    // The character at `at`, stepping past it; false for a malformed sequence (a stray or
    // missing continuation byte, an overlong form, a surrogate, beyond U+10FFFF).
    static bool Next(const std::string& text, size_t& at, uint32_t& codePoint);
    static bool Valid(const std::string& text);
    static bool Ascii(const std::string& text);
    // "U+4E2D" and the like.
    static std::string Describe(uint32_t codePoint);
};
