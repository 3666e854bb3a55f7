#pragma once
// ZIP archives for the engine's tests, written with minizip's zip writer, and the files
// around them.
#include <cstdint>
#include <string>
#include <vector>

// A name ending in a separator is a folder. A damaged item is written raw: WrongCrc keeps
// the data and records another checksum, Undeflatable stores bytes that do not inflate,
// CutShort stores the data and records twice its size.
struct TestZipItem {
    enum Damage { Sound, WrongCrc, Undeflatable, CutShort };
    std::string name;
    std::string data;
    Damage damage = Sound;
    bool utf8 = false;  // the name is flagged UTF-8
};

namespace TestZip {
// The archive's bytes (scratchFile is written on the way); empty on failure.
std::string Build(const std::vector<TestZipItem>& items, const std::string& scratchFile);
// Streams an archive with one deflated item of `size` bytes of Pattern() to path.
bool WriteLarge(const std::string& path, const std::string& name, uint64_t size);
// Changes every 4 KiB, so a misplaced chunk shows.
inline char Pattern(uint64_t offset) { return char('A' + (offset >> 12) % 23); }
std::string Load(const std::string& path);
bool Save(const std::string& path, const std::string& bytes);
std::string Bytes(size_t count, unsigned seed);
} // namespace TestZip
