#pragma once
#include <cstdint>
#include <string>

// What makes a file itself rather than its name: two paths with equal identities are one
// file, whatever their spelling or the links on the way.
class FileIdentity {
public:
    // False when path names no file that can be looked at (a setup not written yet).
    static bool Of(const std::string& path, FileIdentity& identity);

    bool operator==(const FileIdentity& other) const { return volume == other.volume && index == other.index; }

private:
    uint64_t volume = 0;
    uint64_t index = 0;
};
