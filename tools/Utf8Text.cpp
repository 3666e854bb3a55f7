#include "tools/Utf8Text.h"

#include <cstdio>

bool Utf8Text::Next(const std::string& text, size_t& at, uint32_t& codePoint)
{
    uint8_t lead = uint8_t(text[at]);
    size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
    if (length == 0 || at + length > text.size())
        return false;
    static const uint32_t leadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    static const uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    uint32_t value = lead & leadMask[length];
    for (size_t i = 1; i < length; ++i) {
        uint8_t next = uint8_t(text[at + i]);
        if ((next & 0xC0) != 0x80)
            return false;
        value = value << 6 | (next & 0x3F);
    }
    if (value < smallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return false;
    at += length;
    codePoint = value;
    return true;
}

bool Utf8Text::Valid(const std::string& text)
{
    uint32_t codePoint = 0;
    for (size_t at = 0; at < text.size();) {
        if (!Next(text, at, codePoint))
            return false;
    }
    return true;
}

bool Utf8Text::Ascii(const std::string& text)
{
    for (char c : text) {
        if (uint8_t(c) >= 0x80)
            return false;
    }
    return true;
}

std::string Utf8Text::Describe(uint32_t codePoint)
{
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", unsigned(codePoint));
    return text;
}
