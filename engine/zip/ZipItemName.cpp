#include "engine/zip/ZipItemName.h"

#include <zlib.h>

bool ZipItemName::Utf8(const std::string& stored, uint32_t flags, const uint8_t* extra, size_t extraLength,
                       const uint8_t* otherExtra, size_t otherLength, std::string& utf8)
{
    if (flags & Utf8Flag) {
        utf8 = stored;
        return true;
    }
    return UnicodePath(stored, extra, extraLength, utf8) || UnicodePath(stored, otherExtra, otherLength, utf8);
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
