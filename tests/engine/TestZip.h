#pragma once
// ZIP archives for the engine's tests, written with minizip's zip writer, and payloads
// (the archive byte-reversed) put where the engine looks for them.
#include <cstdint>
#include <string>
#include <vector>

struct TestZipItem {
    static constexpr uint32_t DosHost = 20;               // version made by: MS-DOS, 2.0
    static constexpr uint32_t UnixHost = (3u << 8) | 30;  // version made by: Unix, 3.0

    std::string name;
    std::string data;
    uint32_t externalAttributes = 0x20;
    uint32_t versionMadeBy = DosHost;
    int method = 8;
    // Recorded with a CRC-32 that does not match the data.
    bool wrongCrc = false;
    // Stored as deflated data that does not inflate.
    bool brokenData = false;
    // Stored uncompressed with this size recorded instead of the data's (-1: the data's).
    int64_t recordedSize = -1;

    static TestZipItem File(const std::string& name, const std::string& data)
    {
        TestZipItem item;
        item.name = name;
        item.data = data;
        return item;
    }
    static TestZipItem Folder(const std::string& name)
    {
        TestZipItem item;
        item.name = name;
        item.externalAttributes = 0x10;
        item.method = 0;
        return item;
    }
};

class TestZip {
public:
    // The archive's bytes; scratchFile is used (and overwritten) on the way.
    static std::string Build(const std::vector<TestZipItem>& items, const std::string& scratchFile);
    // Writes an archive at path with one deflated item of `size` bytes of Pattern().
    static bool WriteLarge(const std::string& path, const std::string& name, uint64_t size);
    // The byte at offset of the large item: changes every 4 KiB, so misplaced chunks show.
    static char Pattern(uint64_t offset) { return char('A' + (offset >> 12) % 23); }

    static std::string Reversed(std::string bytes);
    static std::string Load(const std::string& path);
    static bool Save(const std::string& path, const std::string& bytes);
    static std::string Bytes(size_t count, unsigned seed);
};
