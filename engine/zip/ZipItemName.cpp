#include "engine/zip/ZipItemName.h"

#include <zlib.h>

#include "engine/zip/ZipPlatform.h"

namespace {

// The length of the UTF-8 sequence that starts with lead, 0 for a byte no sequence starts with.
size_t SequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

} // namespace

bool ZipItemName::Utf8(const std::string& stored, uint32_t flags, const uint8_t* extra, size_t extraLength,
                       const uint8_t* otherExtra, size_t otherLength, std::string& utf8)
{
    if (flags & Utf8Flag) {
        utf8 = stored;
        return true;
    }
    return UnicodePath(stored, extra, extraLength, utf8) || UnicodePath(stored, otherExtra, otherLength, utf8);
}

bool ZipItemName::Text(const std::string& stored, uint32_t flags, const uint8_t* extra, size_t extraLength,
                       const uint8_t* otherExtra, size_t otherLength, std::string& utf8)
{
    if (Utf8(stored, flags, extra, extraLength, otherExtra, otherLength, utf8))
        return IsUtf8(utf8);
    return ZipPlatform::ToUtf8(stored, 0, utf8);
}

bool ZipItemName::IsUtf8(const std::string& text)
{
    for (size_t i = 0; i < text.size();) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        size_t length = SequenceLength(lead);
        if (length == 0 || text.size() - i < length)
            return false;
        for (size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        }
        // The second byte's range rules out overlong forms, surrogates and code points
        // beyond U+10FFFF.
        unsigned char second = length > 1 ? static_cast<unsigned char>(text[i + 1]) : 0;
        if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) || (lead == 0xF0 && second < 0x90) ||
            (lead == 0xF4 && second > 0x8F))
            return false;
        i += length;
    }
    return true;
}

std::string ZipItemName::Cut(const std::string& utf8, size_t units)
{
    size_t used = 0;
    size_t end = 0;
    while (end < utf8.size()) {
        size_t length = SequenceLength(static_cast<unsigned char>(utf8[end]));
        size_t cost = length == 4 ? 2 : 1;
        if (length == 0 || used + cost > units)
            break;
        used += cost;
        end += length;
    }
    return utf8.substr(0, end);
}

// Records: two identifier bytes, two length bytes, the data. The Unicode Path data is a
// version byte (1), the CRC-32 of the stored name and the UTF-8 name. A record that
// overruns the field ends the walk.
bool ZipItemName::UnicodePath(const std::string& stored, const uint8_t* extra, size_t length, std::string& utf8)
{
    size_t at = 0;
    while (extra != nullptr && at + 4 <= length) {
        uint32_t id = extra[at] | uint32_t(extra[at + 1]) << 8;
        size_t size = extra[at + 2] | size_t(extra[at + 3]) << 8;
        const uint8_t* data = extra + at + 4;
        if (size > length - at - 4)
            return false;
        if (id == 0x7075 && size >= 5 && data[0] == 1) {
            uint32_t crc = data[1] | uint32_t(data[2]) << 8 | uint32_t(data[3]) << 16 | uint32_t(data[4]) << 24;
            uLong actual = crc32(0L, reinterpret_cast<const Bytef*>(stored.data()), uInt(stored.size()));
            if (crc != uint32_t(actual))
                return false;
            utf8.assign(reinterpret_cast<const char*>(data + 5), size - 5);
            return true;
        }
        at += 4 + size;
    }
    return false;
}
