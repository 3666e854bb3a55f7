#pragma once
// Archives for the ZIP reader's and the packer's tests, written with minizip's own zip writer.
#include <cstdint>
#include <string>
#include <vector>

struct ZipTestItem {
    static constexpr uint32_t DosHost = 20;               // version made by: MS-DOS, 2.0
    static constexpr uint32_t UnixHost = (3u << 8) | 30;  // version made by: Unix, 3.0

    std::string name;
    std::string data = {};
    int method = 8;      // deflated; 0 stored
    uint32_t flags = 0;  // general-purpose flag bits besides encryption (bit 11: UTF-8 name)
    std::string localExtra = {};
    std::string centralExtra = {};
    uint32_t versionMadeBy = DosHost;
    uint32_t externalAttributes = 0;
    uint32_t dosDateTime = 0x5A2C6B8D;  // 2025-01-12 13:28:26
    std::string password = {};  // traditional PKWARE encryption (empty: none)
    // Raw items: data is written as the stored bytes, with this size recorded.
    bool raw = false;
    uint32_t rawUncompressedSize = 0;
};

namespace ZipTestArchive {
bool Write(const std::string& path, const std::vector<ZipTestItem>& items);
std::string Load(const std::string& path);
void Save(const std::string& path, const std::string& bytes);

std::string Le32(uint32_t value);
void Put16(std::string& bytes, size_t at, uint16_t value);
uint32_t Crc(const std::string& data);
// An extra-field record; an Info-ZIP Unicode Path record.
std::string Record(const char id[2], const std::string& data);
std::string UnicodePathRecord(const std::string& storedName, const std::string& utf8);
} // namespace ZipTestArchive
