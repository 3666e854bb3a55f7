#pragma once
// Small file helpers shared by the container and packer tests.
#include "tools/ContainerWriter.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace testfiles {

inline std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

inline std::vector<uint8_t> RandomBytes(size_t count, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(count);
    for (uint8_t& b : bytes)
        b = static_cast<uint8_t>(random());
    return bytes;
}

inline void Write(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<uint8_t> Read(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every path below root, relative and with '/' separators, sorted.
inline std::vector<std::string> Tree(const std::filesystem::path& root)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        names.push_back(entry.path().lexically_relative(root).generic_string());
    std::sort(names.begin(), names.end());
    return names;
}

// A setup file: the stub, then what the writer holds.
inline void WriteSetup(const std::filesystem::path& path, std::vector<uint8_t> stub, const ContainerWriter& writer)
{
    stub.insert(stub.end(), writer.Bytes().begin(), writer.Bytes().end());
    Write(path, stub);
}

// A PE image's headers up to the end of its optional header (64-bit: magic 0x20B, 32-bit:
// 0x10B), with its security entry (certificate table position and size) as given.
inline std::vector<uint8_t> PeStub(uint32_t tableStart, uint32_t tableSize, uint16_t magic = 0x20B)
{
    std::vector<uint8_t> stub(0x58 + 240, 0);
    auto put = [&](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i)
            stub[at + i] = uint8_t(value >> (8 * i));
    };
    put(0, 'M' | 'Z' << 8);
    put(0x3C, 0x40);
    put(0x40, 0x00004550);  // "PE\0\0"
    put(0x54, 240);         // the optional header's size
    put(0x58, magic);
    size_t directories = magic == 0x20B ? 0x58 + 112 : 0x58 + 96;
    put(directories - 4, 16);
    put(directories + 4 * 8, tableStart);
    put(directories + 4 * 8 + 4, tableSize);
    return stub;
}

// PeStub as a program of the given machine and subsystem, of size bytes (at least 1 KiB),
// whose one section holds a resource directory with one named RCDATA resource, marker.
inline std::vector<uint8_t> MarkedPe(const std::string& marker, size_t size = 1024, uint16_t machine = 0x8664,
                                     uint16_t subsystem = 2)
{
    std::vector<uint8_t> pe = PeStub(0, 0);
    const uint32_t rva = 0x1000, file = 0x200, length = uint32_t(0x32 + 2 * marker.size());
    pe.resize(std::max<size_t>(size, 0x400), 0);
    auto put = [&](size_t at, uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            pe[at + i] = uint8_t(value >> (8 * i));
    };
    put(0x44, machine, 2);
    put(0x46, 1, 2);  // sections
    put(0x58 + 68, subsystem, 2);
    put(0x58 + 112 + 2 * 8, rva, 4);  // the resource directory
    put(0x58 + 112 + 2 * 8 + 4, length, 4);
    put(0x148 + 8, length, 4), put(0x148 + 12, rva, 4), put(0x148 + 16, length, 4), put(0x148 + 20, file, 4);
    put(file + 14, 1, 2);  // the types: RCDATA
    put(file + 16, 10, 4), put(file + 20, 0x80000018, 4);
    put(file + 0x18 + 12, 1, 2);  // its names: marker
    put(file + 0x28, 0x80000030, 4);
    put(file + 0x30, uint32_t(marker.size()), 2);
    for (size_t i = 0; i < marker.size(); ++i)
        put(file + 0x32 + 2 * i, uint8_t(marker[i]), 2);
    return pe;
}

// "loop" names its own region twice in its nested list: without a bound the tree would
// double at every level.
inline ContainerWriter LoopContainer(uint64_t base)
{
    ContainerWriter w(base);
    uint32_t at = uint32_t(w.Position());
    uint32_t size = 2 * (13 + 4) + 8;
    w.AppendList({{at, size, 0x80, "loop"}, {at, size, 0x80, "loop"}}, 0);
    w.AppendList({{at, size, 0x80, "loop"}}, 0);
    w.AppendTrailer();
    return w;
}

} // namespace testfiles
