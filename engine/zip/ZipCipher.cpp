#include "engine/zip/ZipCipher.h"

#include <zlib.h>

namespace {

uint32_t Crc32Byte(uint32_t crc, uint8_t b)
{
    static const z_crc_t* const table = get_crc_table();
    return uint32_t(table[(crc ^ b) & 0xFF]) ^ (crc >> 8);
}

} // namespace

uint8_t ZipCipher::CheckByte(uint32_t flag, uint32_t crc, uint32_t dosDateTime)
{
    return (flag & 8) ? uint8_t(dosDateTime >> 8) : uint8_t(crc >> 24);
}

ZipCipher::ZipCipher(const char* password)
    : keys_{305419896u, 591751049u, 878082192u}
{
    for (; *password != '\0'; ++password)
        Update(uint8_t(*password));
}

bool ZipCipher::AcceptHeader(const uint8_t header[HeaderSize], uint8_t checkByte)
{
    uint8_t last = 0;
    for (int i = 0; i < HeaderSize; ++i)
        last = DecryptByte(header[i]);
    return last == checkByte;
}

void ZipCipher::Decrypt(uint8_t* data, size_t length)
{
    for (size_t i = 0; i < length; ++i)
        data[i] = DecryptByte(data[i]);
}

uint8_t ZipCipher::DecryptByte(uint8_t c)
{
    uint32_t temp = (keys_[2] & 0xFFFF) | 2;
    uint8_t plain = uint8_t(c ^ uint8_t((temp * (temp ^ 1)) >> 8));
    Update(plain);
    return plain;
}

void ZipCipher::Update(uint8_t plain)
{
    keys_[0] = Crc32Byte(keys_[0], plain);
    keys_[1] = (keys_[1] + (keys_[0] & 0xFF)) * 134775813u + 1;
    keys_[2] = Crc32Byte(keys_[2], uint8_t(keys_[1] >> 24));
}
