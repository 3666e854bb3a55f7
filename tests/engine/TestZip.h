#pragma once
// ZIP archives for the engine's tests, written with minizip's zip writer, and the files
// around them.
#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <zip.h>
#include <zlib.h>

// A name ending in a separator is a folder. A damaged item is written raw: WrongCrc keeps
// the data and records another checksum, Undeflatable stores bytes that do not inflate,
// CutShort stores the data and records twice its size.
struct TestZipItem {
    enum Damage { Sound, WrongCrc, Undeflatable, CutShort };
    std::string name;
    std::string data;
    Damage damage = Sound;
    bool utf8 = false;  // the name is flagged UTF-8
};

namespace TestZip {

inline std::string Load(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline bool Save(const std::string& path, const std::string& bytes)
{
    return bool(std::ofstream(path, std::ios::binary) << bytes);
}

inline std::string Bytes(size_t count, unsigned seed)
{
    std::string bytes(count, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (char& c : bytes) {
        x = x * 1103515245u + 12345u;
        c = char(x >> 23);
    }
    return bytes;
}

// Changes every 4 KiB, so a misplaced chunk shows.
inline char Pattern(uint64_t offset)
{
    return char('A' + (offset >> 12) % 23);
}

inline bool IsFolder(const std::string& name)
{
    return !name.empty() && (name.back() == '/' || name.back() == '\\');
}

inline bool OpenItem(zipFile zip, const std::string& name, int method, bool raw, bool utf8, int zip64)
{
    zip_fileinfo info = {};
    info.external_fa = IsFolder(name) ? 0x10 : 0x20;
    return zipOpenNewFileInZip4_64(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, method,
                                   method == 0 ? 0 : Z_BEST_SPEED, raw, -MAX_WBITS, DEF_MEM_LEVEL,
                                   Z_DEFAULT_STRATEGY, nullptr, 0, 20, utf8 ? 0x800 : 0, zip64)
        == ZIP_OK;
}

// The archive's bytes (scratchFile is written on the way); empty on failure.
inline std::string Build(const std::vector<TestZipItem>& items, const std::string& scratchFile)
{
    zipFile zip = zipOpen64(scratchFile.c_str(), APPEND_STATUS_CREATE);
    bool ok = zip != nullptr;
    for (size_t i = 0; ok && i < items.size(); ++i) {
        const TestZipItem& item = items[i];
        bool raw = item.damage != TestZipItem::Sound, undeflatable = item.damage == TestZipItem::Undeflatable;
        std::string stored = undeflatable ? std::string(64, '\xFF') : item.data;
        ok = OpenItem(zip, item.name, IsFolder(item.name) || (raw && !undeflatable) ? 0 : Z_DEFLATED, raw, item.utf8, 0)
            && zipWriteInFileInZip(zip, stored.data(), unsigned(stored.size())) == ZIP_OK;
        uLong crc = crc32(0, reinterpret_cast<const Bytef*>(item.data.data()), uInt(item.data.size()));
        uLong size = uLong(item.data.size()) * (item.damage == TestZipItem::CutShort ? 2 : 1);
        ok = ok && (raw ? zipCloseFileInZipRaw(zip, size, item.damage == TestZipItem::WrongCrc ? ~crc : crc)
                        : zipCloseFileInZip(zip)) == ZIP_OK;
    }
    ok = zip != nullptr && zipClose(zip, nullptr) == ZIP_OK && ok;
    return ok ? Load(scratchFile) : std::string();
}

// Streams an archive with one deflated item of `size` bytes of Pattern() to path.
inline bool WriteLarge(const std::string& path, const std::string& name, uint64_t size)
{
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    bool ok = zip != nullptr && OpenItem(zip, name, Z_DEFLATED, false, false, 1);
    std::string block(1 << 20, '\0');
    for (uint64_t at = 0; ok && at < size; at += block.size()) {
        size_t count = size_t(std::min<uint64_t>(block.size(), size - at));
        for (size_t i = 0; i < count; i += 4096)
            std::fill(block.begin() + i, block.begin() + std::min(count, i + 4096), Pattern(at + i));
        ok = zipWriteInFileInZip(zip, block.data(), unsigned(count)) == ZIP_OK;
    }
    ok = ok && zipCloseFileInZip(zip) == ZIP_OK;
    return zip != nullptr && zipClose(zip, nullptr) == ZIP_OK && ok;
}

} // namespace TestZip
