#pragma once
#include <cstdint>
#include <string>
#include <vector>

// One item of a ZIP archive as read back.
struct ArchiveItem {
    std::string name;
    bool directory = false;
    uint32_t externalAttributes = 0;
    std::vector<uint8_t> content;
};

// The product's ZIP archive: made from a folder, or read back (checksums verified).
class ProductArchive {
public:
    // Largest size anything in a setup may have: positions in the container are signed
    // 32-bit, so the whole setup must stay below 2 GiB.
    static constexpr uint64_t SizeLimit = 0x7FFFFFFF;

    // Zips every folder and file below folder. The archive is reproducible: entries sorted
    // by their '/'-separated relative path (so each folder comes before its contents),
    // fixed time stamps (1980-01-01 00:00), MS-DOS attributes (folders 0x10, files 0x20),
    // deflate at the default level for files, stored empty folder items, no host paths.
    // Refuses links and special files, names the setup's Win32 side cannot use
    // ('\\' or ':') and non-ASCII names, whose bytes the setup would read in the user's
    // ANSI code page, and an empty folder.
    static bool ZipFolder(const std::string& folder, std::vector<uint8_t>& zipBytes, std::string& error);

    // Reads every item; with items null only checks that the archive reads cleanly.
    static bool ReadArchive(const std::vector<uint8_t>& zipBytes, std::vector<ArchiveItem>* items,
                            std::string& error);
};
