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

// A name ending in a separator is a folder. A damaged item is written raw: WrongCrc keeps
// the data and records another checksum, Undeflatable stores bytes that do not inflate,
// CutShort stores the data and records twice its size. An item with a patternSize holds
// that many Pattern() bytes instead, streamed, so it may be larger than memory.
struct TestZipItem {
    enum Damage { Sound, WrongCrc, Undeflatable, CutShort };
    std::string name;
    std::string data;
    Damage damage = Sound;
    bool utf8 = false;  // the name is flagged UTF-8
    uint64_t patternSize = 0;
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

// Each byte differs from its neighbours, so a misplaced one shows.
inline std::string Bytes(size_t count, unsigned seed)
{
    std::string bytes(count, '\0');
    for (char& c : bytes)
        c = char((seed = seed * 1103515245u + 12345u) >> 23);
    return bytes;
}

// Changes every 4 KiB, so a misplaced chunk shows.
inline char Pattern(uint64_t offset)
{
    return char('A' + (offset >> 12) % 23);
}

// The archive's bytes (file is written on the way); empty on failure.
inline std::string Build(const std::vector<TestZipItem>& items, const std::string& file)
{
    zipFile zip = zipOpen64(file.c_str(), APPEND_STATUS_CREATE);
    bool ok = zip != nullptr;
    for (const TestZipItem& item : items) {
        bool folder = !item.name.empty() && (item.name.back() == '/' || item.name.back() == '\\');
        bool raw = item.damage != TestZipItem::Sound, undeflatable = item.damage == TestZipItem::Undeflatable;
        int method = folder || (raw && !undeflatable) ? 0 : Z_DEFLATED;
        std::string stored = undeflatable ? std::string(64, '\xFF') : item.data;
        zip_fileinfo info = {};
        info.external_fa = folder ? 0x10 : 0x20;
        ok = ok && zipOpenNewFileInZip4_64(zip, item.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, method,
                                           method ? Z_BEST_SPEED : 0, raw, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY,
                                           nullptr, 0, 20, item.utf8 ? 0x800 : 0, item.patternSize > 0) == ZIP_OK
            && zipWriteInFileInZip(zip, stored.data(), unsigned(stored.size())) == ZIP_OK;
        std::string block(item.patternSize ? 1 << 20 : 0, '\0');
        for (uint64_t at = 0; ok && at < item.patternSize; at += block.size()) {
            size_t count = size_t(std::min<uint64_t>(block.size(), item.patternSize - at));
            for (size_t i = 0; i < count; i += 4096)
                std::fill(block.begin() + i, block.begin() + std::min(count, i + 4096), Pattern(at + i));
            ok = zipWriteInFileInZip(zip, block.data(), unsigned(count)) == ZIP_OK;
        }
        uLong crc = crc32(0, reinterpret_cast<const Bytef*>(item.data.data()), uInt(item.data.size()));
        uLong size = uLong(item.data.size()) * (item.damage == TestZipItem::CutShort ? 2 : 1);
        ok = ok && (raw ? zipCloseFileInZipRaw(zip, size, item.damage == TestZipItem::WrongCrc ? ~crc : crc)
                        : zipCloseFileInZip(zip)) == ZIP_OK;
    }
    ok = zip != nullptr && zipClose(zip, nullptr) == ZIP_OK && ok;
    return ok ? Load(file) : std::string();
}

} // namespace TestZip
