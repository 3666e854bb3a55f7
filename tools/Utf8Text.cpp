#include "tools/Utf8Text.h"

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


namespace {

void PutUnit(uint32_t unit, std::vector<uint8_t>& utf16)
{
    utf16.push_back(uint8_t(unit));
    utf16.push_back(uint8_t(unit >> 8));
}

void PutUtf8(uint32_t codePoint, std::string& text)
{
    if (codePoint < 0x80) {
        text += char(codePoint);
        return;
    }
    const int trail = codePoint < 0x800 ? 1 : codePoint < 0x10000 ? 2 : 3;
    static const uint8_t leadBits[] = {0, 0xC0, 0xE0, 0xF0};
    text += char(leadBits[trail] | codePoint >> (6 * trail));
    for (int i = trail - 1; i >= 0; --i)
        text += char(0x80 | ((codePoint >> (6 * i)) & 0x3F));
}

} // namespace

bool Utf8Text::AppendUtf16Le(const std::string& text, std::vector<uint8_t>& utf16)
{
    std::vector<uint8_t> converted;
    converted.reserve(text.size() * 2);
    uint32_t codePoint = 0;
    for (size_t at = 0; at < text.size();) {
        if (!Next(text, at, codePoint))
            return false;
        if (codePoint < 0x10000) {
            PutUnit(codePoint, converted);
        } else {
            PutUnit(0xD800 | (codePoint - 0x10000) >> 10, converted);
            PutUnit(0xDC00 | (codePoint & 0x3FF), converted);
        }
    }
    utf16.insert(utf16.end(), converted.begin(), converted.end());
    return true;
}

bool Utf8Text::FromUtf16Le(const uint8_t* bytes, size_t length, std::string& text, size_t& units)
{
    text.clear();
    units = 0;
    auto unitAt = [&](size_t index) { return uint32_t(bytes[2 * index] | bytes[2 * index + 1] << 8); };
    const size_t count = length / 2;
    while (units < count) {
        uint32_t unit = unitAt(units);
        if (unit >= 0xDC00 && unit <= 0xDFFF)
            return false;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            uint32_t low = units + 1 < count ? unitAt(units + 1) : 0;
            if (low < 0xDC00 || low > 0xDFFF)
                return false;
            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
            ++units;
        }
        PutUtf8(unit, text);
        ++units;
    }
    return length % 2 == 0;
}
