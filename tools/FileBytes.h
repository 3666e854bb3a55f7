#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Whole-file reads and writes of the packer, with messages that name the file.
class FileBytes {
public:
    // Size of a regular file; false when it is missing or not a regular file.
    static bool Size(const std::string& path, uint64_t& size, std::string& error);
    static bool Read(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);
    // Writes the parts one after the other; a failed write removes the partial file.
    static bool Write(const std::string& path, const std::vector<const std::vector<uint8_t>*>& parts,
                      std::string& error);
};
