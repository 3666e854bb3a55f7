#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/ProductNames.h"

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

    // Items and bytes zipped so far, and the totals; called after each item and chunk.
    using Progress = std::function<void(uint64_t items, uint64_t itemCount, uint64_t bytes, uint64_t byteCount)>;

    // Zips every folder and file below folder. The archive is reproducible: entries sorted
    // by their '/'-separated relative path (so each folder comes before its contents),
    // fixed time stamps (1980-01-01 00:00), MS-DOS attributes (folders 0x10, files 0x20),
    // deflate at the default level for files, stored empty folder items, no host paths.
    // Names outside ASCII are stored in UTF-8 with flag bit 11, which the setup installs
    // under exactly those names on any system. Refuses links and special files, names that
    // are not UTF-8 or hold '\\' (a separator to the setup), and an empty folder.
    static bool ZipFolder(const std::string& folder, std::vector<uint8_t>& zipBytes, std::string& error,
                          const Progress& progress = nullptr);

    // Info-ZIP's zip on Unix stores names in the system's encoding, today UTF-8, and
    // declares no encoding, so the setup would take their bytes in the user's code page.
    // When every undeclared non-ASCII name of items from Unix hosts is UTF-8, this sets
    // flag bit 11 on those items (central and local headers, nothing else changes) and
    // returns how many; a single other name leaves the archive as it is (0).
    static size_t DeclareUnixUtf8Names(std::vector<uint8_t>& zipBytes);

    // Every item's name as the setup reads it (UTF-8 when declared) and kind.
    static bool ListItems(const std::vector<uint8_t>& zipBytes, std::vector<ProductItem>& items, std::string& error);

    // Reads every item; with items null only checks that the archive reads cleanly.
    static bool ReadArchive(const std::vector<uint8_t>& zipBytes, std::vector<ArchiveItem>* items,
                            std::string& error);
};
