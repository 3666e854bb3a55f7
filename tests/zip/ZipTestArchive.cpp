#include "ZipTestArchive.h"

#include <fstream>
#include <iterator>

#include <zip.h>
#include <zlib.h>

namespace {

// Raw deflate of data, as stored in an archive.
std::string Deflate(const std::string& data)
{
    z_stream stream = {};
    deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, uLong(data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(&out[0]);
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

// One step of the cipher's CRC: zlib's crc32 of one byte without its pre- and
// post-inversion.
uint32_t CrcStep(uint32_t key, uint8_t b)
{
    return ~uint32_t(crc32(~key & 0xFFFFFFFFu, &b, 1));
}

struct TestCipher {
    uint32_t k0 = 0x12345678, k1 = 0x23456789, k2 = 0x34567890;

    void Update(uint8_t plain)
    {
        k0 = CrcStep(k0, plain);
        k1 = (k1 + (k0 & 0xFF)) * 134775813u + 1;
        k2 = CrcStep(k2, uint8_t(k1 >> 24));
    }
    uint8_t Encrypt(uint8_t plain)
    {
        uint32_t t = (k2 & 0xFFFF) | 2;
        uint8_t c = uint8_t(plain ^ ((t * (t ^ 1)) >> 8));
        Update(plain);
        return c;
    }
};

// The stored bytes of an encrypted item: its 12-byte header, then the encrypted payload.
std::string Encrypt(const ZipTestItem& item, const std::string& payload)
{
    TestCipher cipher;
    for (char c : item.password)
        cipher.Update(uint8_t(c));
    uint32_t crc = ZipTestArchive::Crc(item.data);
    std::string plain;
    uint32_t x = item.headerSeed;
    for (int i = 0; i < 10; ++i) {
        x = x * 1103515245u + 12345u;
        plain += char(x >> 16);
    }
    plain += std::string{char(crc >> 16), char(crc >> 24)} + payload;
    std::string out;
    for (char c : plain)
        out += char(cipher.Encrypt(uint8_t(c)));
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
        bool encrypted = !item.password.empty();
        bool raw = item.raw || encrypted;
        std::string stored = item.data;
        if (encrypted)
            stored = Encrypt(item, item.method == 0 ? item.data : Deflate(item.data));
        int level = item.method == 0 ? 0 : Z_DEFAULT_COMPRESSION;
        ok = ok
            && zipOpenNewFileInZip4(zip, item.name.c_str(), &info,
                                    item.localExtra.empty() ? nullptr : item.localExtra.data(),
                                    uInt(item.localExtra.size()),
                                    item.centralExtra.empty() ? nullptr : item.centralExtra.data(),
                                    uInt(item.centralExtra.size()), nullptr, item.method, level, raw ? 1 : 0,
                                    -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, item.versionMadeBy,
                                    (encrypted ? 1 : 0) | item.flags)
                == ZIP_OK;
        ok = ok && zipWriteInFileInZip(zip, stored.data(), unsigned(stored.size())) == ZIP_OK;
        if (encrypted)
            ok = ok && zipCloseFileInZipRaw(zip, uLong(item.data.size()), Crc(item.data)) == ZIP_OK;
        else if (item.raw)
            ok = ok && zipCloseFileInZipRaw(zip, item.rawUncompressedSize, item.rawCrc) == ZIP_OK;
        else
            ok = ok && zipCloseFileInZip(zip) == ZIP_OK;
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
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

uint32_t ZipTestArchive::DosDateTime(int year, int month, int day, int hour, int minute, int second)
{
    uint32_t date = uint32_t(year - 1980) << 9 | uint32_t(month) << 5 | uint32_t(day);
    uint32_t time = uint32_t(hour) << 11 | uint32_t(minute) << 5 | uint32_t(second / 2);
    return date << 16 | time;
}

std::string ZipTestArchive::Record(const char id[2], const std::string& data)
{
    std::string record(id, 2);
    record += char(data.size() & 0xFF);
    record += char(data.size() >> 8);
    return record + data;
}

std::string ZipTestArchive::UnicodePathRecord(const std::string& storedName, const std::string& utf8)
{
    std::string data(1, '\1');
    uint32_t crc = Crc(storedName);
    for (int shift = 0; shift < 32; shift += 8)
        data += char(crc >> shift);
    return Record("up", data + utf8);
}

std::string ZipTestArchive::TimestampRecord(uint8_t flags, const std::vector<int32_t>& times)
{
    std::string data(1, char(flags));
    for (int32_t t : times) {
        for (int shift = 0; shift < 32; shift += 8)
            data += char((uint32_t(t) >> shift) & 0xFF);
    }
    return Record("UT", data);
}

uint32_t ZipTestArchive::Crc(const std::string& data)
{
    return uint32_t(crc32(0, reinterpret_cast<const Bytef*>(data.data()), uInt(data.size())));
}

size_t ZipTestArchive::EndOfCentralDirectory(const std::string& bytes)
{
    return bytes.rfind(std::string("PK\x05\x06", 4));
}

size_t ZipTestArchive::CentralDirectory(const std::string& bytes)
{
    return bytes.find(std::string("PK\x01\x02", 4));
}

void ZipTestArchive::Put16(std::string& bytes, size_t at, uint16_t value)
{
    bytes[at] = char(value & 0xFF);
    bytes[at + 1] = char(value >> 8);
}
