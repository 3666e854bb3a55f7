#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

// What the setup's own container says the payload holds: its size and zlib's CRC-32.
struct PayloadSeal {
    uint64_t size = 0;
    uint32_t crc = 0;
};

// The payload is stored as the bytes of the product's ZIP archive in reverse order;
// decoding reverses them back. Reversing is its own inverse.
class PayloadDecoder {
public:
    // Reads all of source from its start and, only when the bytes match seal, writes them
    // reversed to target at its current position. False when source cannot be read
    // completely or does not match, or target cannot be written completely.
    static bool Decode(HANDLE source, const PayloadSeal& seal, HANDLE target);

    // Exchanges byte i and byte count - 1 - i for every i below count / 2.
    static void Reverse(char* bytes, size_t count);
};
