#include "tools/PeImage.h"

#include <cctype>

namespace {

constexpr uint16_t MachineX64 = 0x8664;
constexpr uint16_t SubsystemGui = 2;
constexpr uint16_t Pe32Plus = 0x20B;
constexpr uint32_t ResourceDirectory = 2;
constexpr uint32_t RcData = 10;
constexpr uint32_t High = 0x80000000u;

// Every read is bounded by the image: a truncated or hostile file reads as zeros, which no
// check below accepts.
struct Bytes {
    const std::vector<uint8_t>& data;
    uint32_t U16(uint64_t at) const { return at + 2 <= data.size() ? data[at] | data[at + 1] << 8 : 0; }
    uint32_t U32(uint64_t at) const { return at + 4 <= data.size() ? U16(at) | uint32_t(U16(at + 2)) << 16 : 0; }
};

// The file offset of a relative virtual address, through the section holding it; 0 when
// none holds it in its file bytes.
uint64_t Offset(const Bytes& b, uint64_t sections, uint32_t count, uint32_t rva)
{
    for (uint32_t i = 0; i < count; ++i) {
        uint64_t header = sections + 40ull * i;
        uint32_t start = b.U32(header + 12), raw = b.U32(header + 16), file = b.U32(header + 20);
        if (rva >= start && rva - start < raw)
            return uint64_t(file) + (rva - start);
    }
    return 0;
}

bool NameIs(const Bytes& b, uint64_t at, const std::string& marker)
{
    if (b.U16(at) != marker.size())
        return false;
    for (size_t i = 0; i < marker.size(); ++i) {
        uint32_t c = b.U16(at + 2 + 2 * i);
        if (c > 0x7F || std::toupper(int(c)) != std::toupper(uint8_t(marker[i])))
            return false;
    }
    return true;
}

// The type directory's RCDATA entry, and in it a name entry equal to marker.
bool HasMarker(const Bytes& b, uint64_t root, const std::string& marker)
{
    auto entries = [&](uint64_t directory) { return b.U16(directory + 12) + b.U16(directory + 14); };
    for (uint32_t i = 0, n = entries(root); i < n; ++i) {
        uint64_t entry = root + 16 + 8ull * i;
        uint32_t target = b.U32(entry + 4);
        if (b.U32(entry) != RcData || !(target & High))
            continue;
        uint64_t names = root + (target & ~High);
        for (uint32_t j = 0, m = b.U16(names + 12); j < m; ++j) {
            uint32_t name = b.U32(names + 16 + 8ull * j);
            if ((name & High) && NameIs(b, root + (name & ~High), marker))
                return true;
        }
    }
    return false;
}

} // namespace

bool PeImage::Check(const std::vector<uint8_t>& image, const std::string& marker, const std::string& role,
                    std::string& why)
{
    const Bytes b{image};
    const uint64_t pe = b.U32(0x3C);
    if (b.U16(0) != ('M' | 'Z' << 8) || b.U32(pe) != 0x00004550) {
        why = "not a PE image";
        return false;
    }
    const uint64_t optional = pe + 24;
    if (b.U16(pe + 4) != MachineX64 || b.U16(optional) != Pe32Plus) {
        why = "not x86-64";
        return false;
    }
    if (b.U16(optional + 68) != SubsystemGui) {
        why = "not a GUI program";
        return false;
    }
    const uint64_t sections = optional + b.U16(pe + 20);
    const uint32_t directories = b.U32(optional + 108);
    const uint32_t resources = directories > ResourceDirectory ? b.U32(optional + 112 + 8 * ResourceDirectory) : 0;
    const uint64_t root = resources ? Offset(b, sections, b.U16(pe + 6), resources) : 0;
    if (root == 0 || !HasMarker(b, root, marker)) {
        why = "not " + role + " (no marker)";
        return false;
    }
    return true;
}
