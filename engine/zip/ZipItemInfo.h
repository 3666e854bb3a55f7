#pragma once
#include <cstddef>
#include <cstdint>

// The description of one archive item, or (index -1) the number of items.
struct ZipItemInfo {
    // Windows paths are limited in UTF-16 units; a unit takes at most three bytes of UTF-8
    // (a surrogate pair, two units, takes four).
    static constexpr size_t NameUnits = 259;
    static constexpr size_t NameSize = NameUnits * 3 + 1;

    static constexpr uint32_t ReadOnly = 0x01;
    static constexpr uint32_t Hidden = 0x02;
    static constexpr uint32_t System = 0x04;
    static constexpr uint32_t Directory = 0x10;
    static constexpr uint32_t Archive = 0x20;

    int32_t index = 0;
    // Relative path below a target folder, "/" or "\" separated, in UTF-8, at most NameUnits
    // UTF-16 units.
    char name[NameSize] = {};
    uint32_t attributes = 0;
    // Non-zero when the stored name is no text (ZipItemName::Text): name is empty, and the
    // item must fail rather than land under another name. A whole word, so that the record
    // holds no padding bytes.
    uint32_t nameDamaged = 0;
    // Win32 file times: 100 ns units since 1601-01-01, UTC.
    uint64_t accessTime = 0;
    uint64_t creationTime = 0;
    uint64_t writeTime = 0;
    int32_t compressedSize = 0;
    int32_t uncompressedSize = 0;
    // The item's size in full: uncompressedSize keeps only the low 32 bits of an item of
    // 2 GiB and more, which a caller counting bytes must not rely on.
    uint64_t uncompressedSize64 = 0;
};
