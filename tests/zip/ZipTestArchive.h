#pragma once
// Archives for the ZIP reader's tests, written with minizip's own zip writer.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct ZipTestItem {
    static constexpr uint32_t DosHost = 20;               // version made by: MS-DOS, 2.0
    static constexpr uint32_t UnixHost = (3u << 8) | 30;  // version made by: Unix, 3.0

    ZipTestItem(std::string itemName = {}, std::string itemData = {})
        : name(std::move(itemName)), data(std::move(itemData))
    {
    }

    std::string name;
    std::string data;
    int method = 8;  // deflated; 0 stored
    uint32_t versionMadeBy = DosHost;
    uint32_t externalAttributes = 0;
    uint32_t dosDateTime = 0x5A2C6B8D;  // 2025-01-12 13:28:26
    std::string localExtra;
    std::string centralExtra;
    uint32_t flags = 0;  // general-purpose flag bits besides encryption (bit 11: UTF-8 name)
    // Traditional PKWARE encryption with this password (empty: none); the header's ten
    // leading bytes come from headerSeed.
    std::string password;
    uint32_t headerSeed = 1;
    // Raw items: data is written as the stored bytes, with this size and CRC recorded.
    bool raw = false;
    uint32_t rawUncompressedSize = 0;
    uint32_t rawCrc = 0;
};

class ZipTestArchive {
public:
    static bool Write(const std::string& path, const std::vector<ZipTestItem>& items);

    static std::string Load(const std::string& path);
    static void Save(const std::string& path, const std::string& bytes);

    // MS-DOS date (high half) and time (low half).
    static uint32_t DosDateTime(int year, int month, int day, int hour, int minute, int second);
    // An extended timestamp record ("UT") with the given flags and times.
    static std::string TimestampRecord(uint8_t flags, const std::vector<int32_t>& times);
    static std::string Record(const char id[2], const std::string& data);
    // An Info-ZIP Unicode Path record (0x7075) for a stored name.
    static std::string UnicodePathRecord(const std::string& storedName, const std::string& utf8);
    static uint32_t Crc(const std::string& data);

    // Offset of the first local header's data in a file whose first item has this name and
    // local extra length.
    static size_t FirstDataOffset(const std::string& name, size_t extraLength) { return 30 + name.size() + extraLength; }
    static size_t EndOfCentralDirectory(const std::string& bytes);
    static size_t CentralDirectory(const std::string& bytes);

    static void Put16(std::string& bytes, size_t at, uint16_t value);
};
