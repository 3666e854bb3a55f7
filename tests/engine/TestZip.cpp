#include "TestZip.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include <zip.h>
#include <zlib.h>

namespace {

bool OpenItem(zipFile zip, const std::string& name, bool folder, int method, bool raw, int zip64, bool utf8 = false)
{
    zip_fileinfo info = {};
    info.external_fa = folder ? 0x10 : 0x20;
    return zipOpenNewFileInZip4_64(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, method,
                                   method == 0 ? 0 : Z_BEST_SPEED, raw ? 1 : 0, -MAX_WBITS, DEF_MEM_LEVEL,
                                   Z_DEFAULT_STRATEGY, nullptr, 0, 20, utf8 ? 0x800 : 0, zip64)
        == ZIP_OK;
}

} // namespace

std::string TestZip::Build(const std::vector<TestZipItem>& items, const std::string& scratchFile)
{
    zipFile zip = zipOpen64(scratchFile.c_str(), APPEND_STATUS_CREATE);
    bool ok = zip != nullptr;
    for (size_t i = 0; ok && i < items.size(); ++i) {
        const TestZipItem& item = items[i];
        bool folder = !item.name.empty() && (item.name.back() == '/' || item.name.back() == '\\');
        bool raw = item.damage != TestZipItem::Sound;
        bool undeflatable = item.damage == TestZipItem::Undeflatable;
        int method = folder || (raw && !undeflatable) ? 0 : Z_DEFLATED;
        std::string stored = undeflatable ? std::string(64, '\xFF') : item.data;
        ok = OpenItem(zip, item.name, folder, method, raw, 0, item.utf8)
            && zipWriteInFileInZip(zip, stored.data(), unsigned(stored.size())) == ZIP_OK;
        if (raw) {
            uLong crc = crc32(0, reinterpret_cast<const Bytef*>(item.data.data()), uInt(item.data.size()));
            uLong size = uLong(item.data.size()) * (item.damage == TestZipItem::CutShort ? 2 : 1);
            ok = ok && zipCloseFileInZipRaw(zip, size, item.damage == TestZipItem::WrongCrc ? ~crc : crc) == ZIP_OK;
        } else {
            ok = ok && zipCloseFileInZip(zip) == ZIP_OK;
        }
    }
    ok = zip != nullptr && zipClose(zip, nullptr) == ZIP_OK && ok;
    return ok ? Load(scratchFile) : std::string();
}

bool TestZip::WriteLarge(const std::string& path, const std::string& name, uint64_t size)
{
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    bool ok = zip != nullptr && OpenItem(zip, name, false, Z_DEFLATED, false, 1);
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

std::string TestZip::Load(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool TestZip::Save(const std::string& path, const std::string& bytes)
{
    return bool(std::ofstream(path, std::ios::binary) << bytes);
}

std::string TestZip::Bytes(size_t count, unsigned seed)
{
    std::string bytes(count, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (char& c : bytes) {
        x = x * 1103515245u + 12345u;
        c = char(x >> 23);
    }
    return bytes;
}
