#include "container/CertificateTable.h"

namespace {

// Offsets of the PE headers (DOS header, "PE\0\0", file header, optional header).
constexpr uint64_t NewHeaderField = 0x3C;
constexpr uint64_t FileHeaderSize = 20;
constexpr uint64_t OptionalSizeField = 16;   // in the file header
constexpr uint16_t Pe32Magic = 0x10B;
constexpr uint16_t Pe32PlusMagic = 0x20B;
constexpr uint32_t SecurityEntry = 4;
constexpr uint32_t SmallestTable = 8;        // one WIN_CERTIFICATE header

bool ReadAt(std::FILE* file, uint64_t position, void* data, size_t count, uint64_t length)
{
    if (position > length || count > length - position || position > 0x7FFFFFFF)
        return false;
    return std::fseek(file, static_cast<long>(position), SEEK_SET) == 0 && std::fread(data, 1, count, file) == count;
}

uint32_t U32(const unsigned char* b)
{
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

uint16_t U16(const unsigned char* b)
{
    return static_cast<uint16_t>(b[0] | b[1] << 8);
}

} // namespace

bool CertificateTable::Locate(std::FILE* file, uint64_t length, uint64_t& start)
{
    unsigned char b[8];
    if (!ReadAt(file, 0, b, 2, length) || b[0] != 'M' || b[1] != 'Z')
        return false;
    if (!ReadAt(file, NewHeaderField, b, 4, length))
        return false;
    uint64_t peHeader = U32(b);
    if (!ReadAt(file, peHeader, b, 4, length) || U32(b) != 0x00004550)
        return false;
    uint64_t fileHeader = peHeader + 4;
    if (!ReadAt(file, fileHeader + OptionalSizeField, b, 2, length))
        return false;
    uint64_t optionalSize = U16(b);
    uint64_t optional = fileHeader + FileHeaderSize;

    if (!ReadAt(file, optional, b, 2, length))
        return false;
    uint16_t magic = U16(b);
    uint64_t countField = magic == Pe32PlusMagic ? 108 : magic == Pe32Magic ? 92 : 0;
    if (countField == 0 || !ReadAt(file, optional + countField, b, 4, length))
        return false;
    uint64_t entry = countField + 4 + 8 * SecurityEntry;
    if (U32(b) <= SecurityEntry || entry + 8 > optionalSize || !ReadAt(file, optional + entry, b, 8, length))
        return false;

    uint64_t tableStart = U32(b);
    uint64_t tableSize = U32(b + 4);
    if (tableSize < SmallestTable || tableStart < optional + optionalSize || tableStart + tableSize != length)
        return false;
    start = tableStart;
    return true;
}
