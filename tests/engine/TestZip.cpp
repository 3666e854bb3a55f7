#include "TestZip.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include <zip.h>
#include <zlib.h>

std::string TestZip::Build(const std::vector<TestZipItem>& items, const std::string& scratchFile)
{
    zipFile zip = zipOpen64(scratchFile.c_str(), APPEND_STATUS_CREATE);
    if (zip == nullptr)
        return std::string();
    bool ok = true;
    for (const TestZipItem& item : items) {
        zip_fileinfo info = {};
        info.external_fa = item.externalAttributes;
        bool raw = item.wrongCrc || item.brokenData || item.recordedSize >= 0;
        std::string stored = item.data;
        uLong crc = crc32(0, reinterpret_cast<const Bytef*>(item.data.data()), uInt(item.data.size()));
        if (item.wrongCrc) {
            // Stored bytes are the data itself; only the recorded checksum is off.
            crc ^= 0x5A5A5A5Au;
        }
        if (item.brokenData)
            stored = std::string(64, '\xFF');
        int method = raw ? (item.brokenData ? 8 : 0) : item.method;
        ok = ok
            && zipOpenNewFileInZip4(zip, item.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, method,
                                    method == 0 ? 0 : Z_DEFAULT_COMPRESSION, raw ? 1 : 0, -MAX_WBITS, DEF_MEM_LEVEL,
                                    Z_DEFAULT_STRATEGY, nullptr, 0, item.versionMadeBy, 0)
                == ZIP_OK;
        ok = ok && zipWriteInFileInZip(zip, stored.data(), unsigned(stored.size())) == ZIP_OK;
        if (raw)
            ok = ok
                && zipCloseFileInZipRaw(zip, uLong(item.recordedSize >= 0 ? uint64_t(item.recordedSize) : item.data.size()),
                                        crc)
                    == ZIP_OK;
        else
            ok = ok && zipCloseFileInZip(zip) == ZIP_OK;
    }
    ok = zipClose(zip, nullptr) == ZIP_OK && ok;
    return ok ? Load(scratchFile) : std::string();
}

bool TestZip::WriteLarge(const std::string& path, const std::string& name, uint64_t size)
{
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    if (zip == nullptr)
        return false;
    zip_fileinfo info = {};
    info.external_fa = 0x20;
    bool ok = zipOpenNewFileInZip4_64(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 1, 0,
                                      -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0,
                                      TestZipItem::DosHost, 0, 1)
        == ZIP_OK;
    std::string block(1 << 20, '\0');
    for (uint64_t at = 0; ok && at < size; at += block.size()) {
        size_t count = size_t(std::min<uint64_t>(block.size(), size - at));
        for (size_t i = 0; i < count; i += 4096)
            std::fill(block.begin() + i, block.begin() + std::min(count, i + 4096), Pattern(at + i));
        ok = zipWriteInFileInZip(zip, block.data(), unsigned(count)) == ZIP_OK;
    }
    ok = ok && zipCloseFileInZip(zip) == ZIP_OK;
    return zipClose(zip, nullptr) == ZIP_OK && ok;
}

std::string TestZip::Reversed(std::string bytes)
{
    std::reverse(bytes.begin(), bytes.end());
    return bytes;
}

std::string TestZip::Load(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool TestZip::Save(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    return bool(out);
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
