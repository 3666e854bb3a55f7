#include "tools/ContainerWriter.h"

#include "container/PayloadContainer.h"

#include <cstring>

ContainerWriter::ContainerWriter(uint64_t base) : base(base)
{
}

void ContainerWriter::AppendBytes(const void* data, size_t count)
{
    const uint8_t* p = static_cast<const uint8_t*>(data);
    bytes.insert(bytes.end(), p, p + count);
}

void ContainerWriter::AppendU32(uint32_t value)
{
    uint8_t b[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
    AppendBytes(b, 4);
}

void ContainerWriter::AppendName(const std::string& name)
{
    AppendName(name, static_cast<uint32_t>(name.size()));
}

void ContainerWriter::AppendName(const std::string& name, uint32_t storedLength)
{
    AppendBytes(name.data(), name.size());
    AppendU32(storedLength);
}

void ContainerWriter::AppendRecord(const ContainerRecord& record)
{
    AppendU32(record.offset);
    AppendU32(record.size);
    AppendU8(record.flags);
    AppendName(record.name);
}

void ContainerWriter::AppendList(const std::vector<ContainerRecord>& records, uint32_t listBase)
{
    for (const ContainerRecord& record : records)
        AppendRecord(record);
    AppendU32(listBase);
    AppendU32(static_cast<uint32_t>(records.size()));
}

void ContainerWriter::AppendTrailer()
{
    AppendName(PayloadContainer::Signature);
}

ContainerRecord ContainerWriter::AppendNode(const ContainerNode& node, uint32_t listBase)
{
    ContainerRecord record;
    record.name = node.name;
    uint64_t start = Position();
    if (node.directory) {
        record.flags = DirectoryFlag;
        std::vector<ContainerRecord> children;
        for (const ContainerNode& child : node.children)
            children.push_back(AppendNode(child, listBase));
        AppendList(children, listBase);
    } else {
        AppendBytes(node.content);
    }
    record.offset = static_cast<uint32_t>(start - listBase);
    record.size = static_cast<uint32_t>(Position() - start);
    return record;
}

void ContainerWriter::AppendContainer(const std::vector<ContainerNode>& topLevel, unsigned alignment)
{
    uint32_t listBase = static_cast<uint32_t>(base);
    std::vector<ContainerRecord> records;
    for (const ContainerNode& node : topLevel)
        records.push_back(AppendNode(node, listBase));
    ContainerWriter index;
    index.AppendList(records, listBase);
    index.AppendTrailer();
    uint64_t end = Position() + index.Bytes().size();
    bytes.resize(bytes.size() + (alignment - end % alignment) % alignment, 0);
    AppendBytes(index.Bytes());
}
