#pragma once
// Writes profile files for the tests byte for byte (no newline translation).
#include <fstream>
#include <string>

namespace testsupport {

inline bool WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return static_cast<bool>(out);
}

} // namespace testsupport
