#include "ZipTestArchive.h"

#include <fstream>
#include <iterator>

#include <zip.h>
#include <zlib.h>

namespace {

std::string Deflate(const std::string& data)
{
    uLongf size = compressBound(uLong(data.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(&out[0]), &size, reinterpret_cast<const Bytef*>(data.data()),
              uLong(data.size()), Z_DEFAULT_COMPRESSION);
    return out.substr(2, size - 6);  // a zlib stream less its header and checksum is raw deflate
}

// Traditional PKWARE encryption, written from the format apart from the reader's cipher: the
// stored bytes are the 12-byte header, then the encrypted payload.
std::string Encrypt(const ZipTestItem& item, const std::string& payload)
{
    uint32_t keys[3] = {0x12345678, 0x23456789, 0x34567890};
    auto crcStep = [](uint32_t key, uint8_t b) { return ~uint32_t(crc32(~key & 0xFFFFFFFFu, &b, 1)); };
    auto update = [&](uint8_t plain) {
        keys[0] = crcStep(keys[0], plain);
        keys[1] = (keys[1] + (keys[0] & 0xFF)) * 134775813u + 1;
        keys[2] = crcStep(keys[2], uint8_t(keys[1] >> 24));
    };
    for (char c : item.password)
        update(uint8_t(c));
    std::string plain;
    for (uint32_t i = 0, x = 1; i < 10; ++i)
        plain += char((x = x * 1103515245u + 12345u) >> 16);
    uint32_t crc = ZipTestArchive::Crc(item.data);
    plain += std::string{char(crc >> 16), char(crc >> 24)} + payload;
    std::string out;
    for (char c : plain) {
        uint32_t t = (keys[2] & 0xFFFF) | 2;
        out += char(uint8_t(c) ^ ((t * (t ^ 1)) >> 8));
        update(uint8_t(c));
    }
    return out;
}

} // namespace

bool ZipTestArchive::Write(const std::string& path, const std::vector<ZipTestItem>& items)
{
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    if (zip == nullptr)
        return false;
    bool ok = true;
    for (const ZipTestItem& item : items) {
        zip_fileinfo info = {};
        info.dosDate = item.dosDateTime;
        info.external_fa = item.externalAttributes;
        // Encrypted items are encrypted here and written raw: the zip writer's own encryption
        // reads zlib's CRC table with the wrong element width on 64-bit Linux.
        bool encrypted = !item.password.empty(), raw = item.raw || encrypted;
        std::string stored = item.data;
        if (encrypted)
            stored = Encrypt(item, item.method == 0 ? item.data : Deflate(item.data));
        ok = ok
            && zipOpenNewFileInZip4(zip, item.name.c_str(), &info, item.localExtra.data(),
                                    uInt(item.localExtra.size()), item.centralExtra.data(),
                                    uInt(item.centralExtra.size()), nullptr, item.method,
                                    item.method == 0 ? 0 : Z_DEFAULT_COMPRESSION, raw, -MAX_WBITS,
                                    DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, item.versionMadeBy,
                                    encrypted | item.flags)
                == ZIP_OK;
        ok = ok && zipWriteInFileInZip(zip, stored.data(), unsigned(stored.size())) == ZIP_OK;
        uLong size = encrypted ? uLong(item.data.size()) : item.rawUncompressedSize;
        uLong crc = encrypted ? Crc(item.data) : 0;
        ok = ok && (raw ? zipCloseFileInZipRaw(zip, size, crc) : zipCloseFileInZip(zip)) == ZIP_OK;
    }
    return zipClose(zip, nullptr) == ZIP_OK && ok;
}

std::string ZipTestArchive::Load(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void ZipTestArchive::Save(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), std::streamsize(bytes.size()));
}

std::string ZipTestArchive::Le32(uint32_t value)
{
    return {char(value), char(value >> 8), char(value >> 16), char(value >> 24)};
}

void ZipTestArchive::Put16(std::string& bytes, size_t at, uint16_t value)
{
    bytes.replace(at, 2, Le32(value).substr(0, 2));
}

uint32_t ZipTestArchive::Crc(const std::string& data)
{
    return uint32_t(crc32(0, reinterpret_cast<const Bytef*>(data.data()), uInt(data.size())));
}

std::string ZipTestArchive::Record(const char id[2], const std::string& data)
{
    return std::string(id, 2) + Le32(uint32_t(data.size())).substr(0, 2) + data;
}

std::string ZipTestArchive::UnicodePathRecord(const std::string& storedName, const std::string& utf8)
{
    return Record("up", "\1" + Le32(Crc(storedName)) + utf8);
}
