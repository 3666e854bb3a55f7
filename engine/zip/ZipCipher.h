#pragma once
#include <cstddef>
#include <cstdint>

// Traditional PKWARE decryption of one item. The minizip build used here leaves
// decryption out, so the reader decrypts the raw item bytes itself.
class ZipCipher {
public:
    static constexpr int HeaderSize = 12;

    // With bit 3 of the item's flag (sizes and CRC in a trailing descriptor) the check byte
    // is the high byte of the MS-DOS time, otherwise the high byte of the CRC.
    static uint8_t CheckByte(uint32_t flag, uint32_t crc, uint32_t dosDateTime);

    explicit ZipCipher(const char* password);

    // Decrypts the item's 12-byte header; true when its last byte is the check byte.
    bool AcceptHeader(const uint8_t header[HeaderSize], uint8_t checkByte);
    void Decrypt(uint8_t* data, size_t length);

private:
    uint8_t DecryptByte(uint8_t c);
    void Update(uint8_t plain);

    uint32_t keys_[3];
};
