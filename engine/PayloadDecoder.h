#pragma once
#include <cstddef>
#include <string>

// The payload is stored as the bytes of the product's ZIP archive in reverse order;
// decoding reverses them back. Reversing is its own inverse.
class PayloadDecoder {
public:
    // Reads all of source, reverses it and writes it to target (created or overwritten).
    // False when source cannot be opened or read completely, or target cannot be written
    // completely; a partly written target is deleted again.
    static bool Decode(const std::string& source, const std::string& target);

    // Exchanges byte i and byte count - 1 - i for every i below count / 2.
    static void Reverse(char* bytes, size_t count);
};
