#include "tools/ProductArchive.h"

#include "tools/FileBytes.h"
#include "tools/MemoryZipFile.h"
#include "tools/Utf8Text.h"

#include "engine/zip/ZipAttributes.h"
#include "engine/zip/ZipItemInfo.h"
#include "engine/zip/ZipItemName.h"

#include <unzip.h>
#include <zip.h>

#include <algorithm>
#include <fstream>
#include <exception>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr uint32_t DosDirectory = 0x10;
constexpr uint32_t DosArchive = 0x20;
constexpr size_t ChunkSize = 64 * 1024;

struct PackedItem {
    std::string name;
    fs::path source;
    bool directory = false;
    uint64_t size = 0;
};

bool CollectItems(const fs::path& root, std::vector<PackedItem>& items, std::string& error)
{
    std::error_code ec;
    fs::recursive_directory_iterator it(root, fs::directory_options::none, ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        std::string name = it->path().lexically_relative(root).generic_u8string();
        if (!Utf8Text::Valid(name) || name.find('\\') != std::string::npos) {
            error = "product name not usable in a setup (not UTF-8, or '\\'): " + name;
            return false;
        }
        fs::file_status status = it->symlink_status(ec);
        if (ec)
            break;
        PackedItem item{name, it->path(), false, 0};
        if (fs::is_directory(status)) {
            item.directory = true;
            item.name += '/';
        } else if (!fs::is_regular_file(status)) {
            error = "product holds something that is neither folder nor file (a link?): " + name;
            return false;
        } else {
            item.size = fs::file_size(it->path(), ec);
            if (item.size > ProductArchive::SizeLimit) {
                error = "product file over the 2 GiB limit of the setup format: " + name;
                return false;
            }
        }
        items.push_back(item);
    }
    if (ec) {
        error = "cannot read product folder " + root.string() + ": " + ec.message();
        return false;
    }
    std::sort(items.begin(), items.end(),
              [](const PackedItem& a, const PackedItem& b) { return a.name < b.name; });
    return true;
}

bool AddItem(zipFile zip, const PackedItem& item, const std::vector<uint8_t>& zipBytes, std::string& error,
             const std::function<void(uint64_t)>& zipped)
{
    zip_fileinfo info = {};
    info.tmz_date.tm_mday = 1;
    info.tmz_date.tm_year = 1980;
    info.external_fa = item.directory ? DosDirectory : DosArchive;
    int method = item.directory ? 0 : Z_DEFLATED;
    int level = item.directory ? 0 : Z_DEFAULT_COMPRESSION;
    if (zipOpenNewFileInZip4_64(zip, item.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, method, level,
                                0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, 0,
                                Utf8Text::Ascii(item.name) ? 0 : ZipItemName::Utf8Flag, 0) != ZIP_OK) {
        error = "cannot add to the archive: " + item.name;
        return false;
    }
    bool ok = true;
    if (!item.directory) {
        std::ifstream file(item.source, std::ios::binary);
        if (!file) {
            error = "cannot open product file " + item.name;
            ok = false;
        }
        std::vector<char> chunk(ChunkSize);
        while (ok) {
            file.read(chunk.data(), std::streamsize(chunk.size()));
            size_t n = size_t(file.gcount());
            if (n == 0) {
                if (file.bad()) {
                    error = "cannot read product file " + item.name;
                    ok = false;
                }
                break;
            }
            if (zipWriteInFileInZip(zip, chunk.data(), static_cast<unsigned>(n)) != ZIP_OK) {
                error = "cannot compress " + item.name;
                ok = false;
            } else if (zipBytes.size() > ProductArchive::SizeLimit) {
                error = "product archive over the 2 GiB limit of the setup format";
                ok = false;
            }
            zipped(n);
        }
    }
    if (zipCloseFileInZip(zip) != ZIP_OK && ok) {
        error = "cannot finish archive item " + item.name;
        ok = false;
    }
    return ok;
}

} // namespace

bool ProductArchive::ZipFolder(const std::string& folder, std::vector<uint8_t>& zipBytes, std::string& error,
                               const Progress& progress)
{
    try {
        fs::path root(folder);
        std::error_code ec;
        if (!fs::is_directory(root, ec)) {
            error = "product folder not found: " + folder;
            return false;
        }
        std::vector<PackedItem> items;
        if (!CollectItems(root, items, error))
            return false;
        // minizip, which the setup reads the archive with, cannot open an archive without
        // items (its end record would sit at position 0), so such a setup could never install.
        if (items.empty()) {
            error = "product folder " + folder + " holds nothing to install";
            return false;
        }

        MemoryZipFile memory(zipBytes);
        zipFile zip = memory.OpenArchiveToWrite(APPEND_STATUS_CREATE);
        if (!zip) {
            error = "cannot start the product archive";
            return false;
        }
        uint64_t itemsDone = 0, bytesDone = 0, byteCount = 0;
        for (const PackedItem& item : items)
            byteCount += item.size;
        auto zipped = [&](uint64_t bytes) {
            bytesDone += bytes;
            if (progress)
                progress(itemsDone, items.size(), bytesDone, byteCount);
        };
        bool ok = true;
        for (const PackedItem& item : items) {
            if (!AddItem(zip, item, zipBytes, error, zipped)) {
                ok = false;
                break;
            }
            ++itemsDone;
            zipped(0);
        }
        if (zipClose(zip, nullptr) != ZIP_OK && ok) {
            error = "cannot finish the product archive";
            ok = false;
        }
        if (ok && zipBytes.size() > SizeLimit) {
            error = "product archive over the 2 GiB limit of the setup format";
            ok = false;
        }
        return ok;
    } catch (const std::exception& e) {
        error = std::string("cannot pack product folder: ") + e.what();
        return false;
    }
}

namespace {

bool NotAnArchive(std::string& error)
{
    error = "not a ZIP archive";
    return false;
}

} // namespace

bool ProductArchive::ReadArchive(const std::vector<uint8_t>& zipBytes, std::vector<ArchiveItem>* items,
                                 std::string& error)
{
    MemoryZipFile memory(zipBytes);
    unzFile zip = memory.OpenArchive();
    if (!zip)
        return NotAnArchive(error);
    bool ok = true;
    std::vector<uint8_t> chunk(ChunkSize);
    for (int status = unzGoToFirstFile(zip); ok && status == UNZ_OK; status = unzGoToNextFile(zip)) {
        unz_file_info64 info = {};
        char name[1024] = {};
        if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name - 1, nullptr, 0, nullptr, 0) != UNZ_OK ||
            unzOpenCurrentFile(zip) != UNZ_OK) {
            error = "damaged ZIP item";
            ok = false;
            break;
        }
        ArchiveItem item;
        item.name = name;
        item.externalAttributes = static_cast<uint32_t>(info.external_fa);
        item.directory = (info.external_fa & DosDirectory) != 0;
        int n = 0;
        while ((n = unzReadCurrentFile(zip, chunk.data(), static_cast<unsigned>(chunk.size()))) > 0) {
            if (items)
                item.content.insert(item.content.end(), chunk.begin(), chunk.begin() + n);
        }
        if (unzCloseCurrentFile(zip) != UNZ_OK || n < 0) {
            error = "damaged ZIP item: " + item.name;
            ok = false;
        }
        if (items)
            items->push_back(std::move(item));
    }
    unzClose(zip);
    return ok;
}

bool ProductArchive::ListItems(const std::vector<uint8_t>& zipBytes, std::vector<ProductItem>& items,
                               std::string& error)
{
    MemoryZipFile memory(zipBytes);
    unzFile zip = memory.OpenArchive();
    if (!zip)
        return NotAnArchive(error);
    std::vector<char> name(0x10000);
    std::vector<uint8_t> central(0x10000), local(0x10000);
    bool ok = true;
    for (int status = unzGoToFirstFile(zip); ok && status == UNZ_OK; status = unzGoToNextFile(zip)) {
        unz_file_info64 info = {};
        int localLength = -1;
        if (unzGetCurrentFileInfo64(zip, &info, name.data(), uLong(name.size()), central.data(), uLong(central.size()),
                                    nullptr, 0) == UNZ_OK
            && unzOpenCurrentFile2(zip, nullptr, nullptr, 1) == UNZ_OK) {
            localLength = unzGetLocalExtrafield(zip, local.data(), unsigned(local.size()));
            unzCloseCurrentFile(zip);
        }
        if (localLength < 0) {
            error = "damaged ZIP item";
            ok = false;
            break;
        }
        ProductItem item;
        std::string stored(name.data(), size_t(info.size_filename));
        item.utf8 = ZipItemName::Utf8(stored, uint32_t(info.flag), central.data(), size_t(info.size_file_extra),
                                      local.data(), size_t(localLength), item.name);
        if (!item.utf8)
            item.name = stored;
        item.name = item.name.c_str();
        item.directory = (ZipAttributes::FromExternal(uint32_t(info.version), uint32_t(info.external_fa))
                          & ZipItemInfo::Directory) != 0
            || (!item.name.empty() && (item.name.back() == '/' || item.name.back() == '\\'));
        items.push_back(item);
    }
    unzClose(zip);
    return ok;
}

size_t ProductArchive::DeclareUnixUtf8Names(std::vector<uint8_t>& zipBytes)
{
    constexpr uint32_t UnixHost = 3;
    std::vector<std::pair<uint64_t, uint64_t>> flagsAt;  // central and local flag positions
    bool declarable = true;
    {
        MemoryZipFile memory(static_cast<const std::vector<uint8_t>&>(zipBytes));
        unzFile zip = memory.OpenArchive();
        if (!zip)
            return 0;
        std::vector<char> name(0x10000);
        std::vector<uint8_t> central(0x10000);
        auto signatureAt = [&](uint64_t at, uint32_t signature) {
            return at + 4 <= zipBytes.size() && (zipBytes[at] | zipBytes[at + 1] << 8 | zipBytes[at + 2] << 16
                                                 | uint32_t(zipBytes[at + 3]) << 24) == signature;
        };
        for (int status = unzGoToFirstFile(zip); declarable && status == UNZ_OK; status = unzGoToNextFile(zip)) {
            unz_file_info64 info = {};
            if (unzGetCurrentFileInfo64(zip, &info, name.data(), uLong(name.size()), central.data(),
                                        uLong(central.size()), nullptr, 0) != UNZ_OK)
                return 0;
            std::string stored(name.data(), size_t(info.size_filename)), utf8;
            if (Utf8Text::Ascii(stored) || ZipItemName::Utf8(stored, uint32_t(info.flag), central.data(),
                                                             size_t(info.size_file_extra), nullptr, 0, utf8))
                continue;
            declarable = (info.version >> 8) == UnixHost && Utf8Text::Valid(stored);
            unz64_file_pos position = {};
            int localExtra = -1;
            if (declarable && unzGetFilePos64(zip, &position) == UNZ_OK
                && unzOpenCurrentFile2(zip, nullptr, nullptr, 1) == UNZ_OK) {
                localExtra = unzGetLocalExtrafield(zip, nullptr, 0);
                uint64_t local = unzGetCurrentFileZStreamPos64(zip) - 30 - info.size_filename - uint64_t(localExtra);
                unzCloseCurrentFile(zip);
                uint64_t centralAt = position.pos_in_zip_directory;
                declarable = localExtra >= 0 && signatureAt(centralAt, 0x02014b50) && signatureAt(local, 0x04034b50);
                flagsAt.emplace_back(centralAt + 8, local + 6);
            } else {
                declarable = false;
            }
        }
        unzClose(zip);
    }
    if (!declarable)
        return 0;
    for (const auto& at : flagsAt) {
        zipBytes[at.first + 1] |= ZipItemName::Utf8Flag >> 8;
        zipBytes[at.second + 1] |= ZipItemName::Utf8Flag >> 8;
    }
    return flagsAt.size();
}
