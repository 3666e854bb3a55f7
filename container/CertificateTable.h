#pragma once
#include <cstdint>
#include <cstdio>

// The Authenticode certificate table of a signed executable. Signing appends the table
// behind everything else, after zero padding up to a multiple of 8 bytes, and records
// its file position and size in the security entry of the image's data directories. The
// container of a signed setup therefore ends where that padding begins.
class CertificateTable {
public:
    // Longest padding a signing tool puts before the table.
    static constexpr unsigned PaddingLimit = 7;

    // True when the file of the given length is a PE image whose security entry names a
    // table that ends exactly at the end of the file; start is then the table's first
    // byte. Anything else (no PE image, no entry, a table elsewhere or past the end) is
    // read as an unsigned file. The file position is left undefined.
    static bool Locate(std::FILE* file, uint64_t length, uint64_t& start);
};
