#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// One record as it is stored in a list; offset is relative to the list's base.
struct ContainerRecord {
    uint32_t offset = 0;
    uint32_t size = 0;
    uint8_t flags = 0;
    std::string name;
};

// A tree to be packed: a file with its content, or a directory with its children.
struct ContainerNode {
    std::string name;
    bool directory = false;
    std::vector<uint8_t> content;
    std::vector<ContainerNode> children;

    static ContainerNode File(std::string name, std::vector<uint8_t> content = {})
    {
        return ContainerNode{std::move(name), false, std::move(content), {}};
    }
    static ContainerNode Folder(std::string name) { return ContainerNode{std::move(name), true, {}, {}}; }
};

// Writes the container format that PayloadContainer reads, into memory. The high-level
// calls produce well-formed trees; the low-level ones write any record, list or name as
// given, so that tests can build odd and hostile containers.
class ContainerWriter {
public:
    static constexpr uint8_t DirectoryFlag = 0x80;

    // base: the file position the first written byte will have (the stub's length).
    explicit ContainerWriter(uint64_t base = 0);

    // File position of the next byte to be written.
    uint64_t Position() const { return base + bytes.size(); }
    const std::vector<uint8_t>& Bytes() const { return bytes; }
    std::vector<uint8_t>& Bytes() { return bytes; }

    void AppendBytes(const void* data, size_t count);
    void AppendBytes(const std::vector<uint8_t>& data) { AppendBytes(data.data(), data.size()); }
    void AppendU8(uint8_t value) { AppendBytes(&value, 1); }
    void AppendU32(uint32_t value);
    // The name's bytes followed by storedLength (its real length unless a test lies).
    void AppendName(const std::string& name);
    void AppendName(const std::string& name, uint32_t storedLength);
    void AppendRecord(const ContainerRecord& record);
    // Records in file order (the reader returns them reversed), then base and count.
    void AppendList(const std::vector<ContainerRecord>& records, uint32_t listBase);
    void AppendTrailer();

    // Writes a node's region (for a directory: its children's regions in order, then its
    // nested list with base listBase) and returns its record relative to listBase.
    ContainerRecord AppendNode(const ContainerNode& node, uint32_t listBase);
    // Regions of the top-level nodes, the top-level list and the trailer; every list's
    // base is this writer's base. Zero bytes between the last region and the top-level
    // list, which no record points at, make the file end at a multiple of alignment.
    void AppendContainer(const std::vector<ContainerNode>& topLevel, unsigned alignment = 1);

private:
    uint64_t base;
    std::vector<uint8_t> bytes;
};
