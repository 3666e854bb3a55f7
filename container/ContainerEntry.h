#pragma once
#include <cstdint>
#include <string>
#include <vector>

// One named entry of the container index: a file, or a directory whose region ends
// with its own nested list.
class ContainerEntry {
public:
    static constexpr uint8_t DirectoryFlag = 0x80;

    ContainerEntry() = default;
    virtual ~ContainerEntry() = default;
    ContainerEntry(const ContainerEntry&) = default;
    ContainerEntry& operator=(const ContainerEntry&) = default;

    bool IsDirectory() const { return (flags & DirectoryFlag) != 0; }

    std::string name;
    uint32_t size = 0xFFFFFFFFu;
    uint32_t offset = 0xFFFFFFFFu;
    uint8_t flags = 0;
};

// Entries in read order: the record stored last in a list is index 0.
using ContainerEntryList = std::vector<ContainerEntry>;
