#include "container/PayloadContainer.h"

#include "container/CertificateTable.h"
#include "container/ContainerFileSystem.h"
#include "container/ScopedFile.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

const char PayloadContainer::Signature[] = "This is a file list .";

namespace {

constexpr uint64_t LastPosition = 0x7FFFFFFF;
// A sink may write each chunk straight to the system, so the chunks are not small.
constexpr size_t CopyChunk = 1 << 16;
// The streams read and write in large blocks: at the stream's default size every kilobyte
// or four costs a system call, which dominates the start of a setup with a large payload.
constexpr size_t StreamBuffer = 1 << 19;

using Stream = ScopedFile;

// A corrupt length must not carry the position before the start of the file, where a
// stream would either fail in a platform-specific way or quietly read other bytes.
bool SeekBack(std::FILE* file, uint32_t count)
{
    long position = std::ftell(file);
    if (position < 0 || static_cast<unsigned long>(position) < count)
        return false;
    return std::fseek(file, -static_cast<long>(count), SEEK_CUR) == 0;
}

bool SeekTo(std::FILE* file, uint64_t position)
{
    return position <= LastPosition && std::fseek(file, static_cast<long>(position), SEEK_SET) == 0;
}

bool ReadU32(std::FILE* file, uint32_t& value)
{
    unsigned char b[4];
    if (std::fread(b, 1, 4, file) != 4)
        return false;
    value = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    return true;
}

bool ReadU32Before(std::FILE* file, uint32_t& value)
{
    return SeekBack(file, 4) && ReadU32(file, value) && SeekBack(file, 4);
}

bool SameName(const std::string& a, const std::string& b)
{
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

uint64_t StreamLength(std::FILE* file)
{
    if (std::fseek(file, 0, SEEK_END) != 0)
        return 0;
    long length = std::ftell(file);
    return length < 0 ? 0 : static_cast<uint64_t>(length);
}

} // namespace

// Nested extraction calls share the budget of the outermost call on the same container.
class PayloadContainer::WalkGuard {
public:
    WalkGuard(PayloadContainer& owner, std::FILE* stream) : owner(owner)
    {
        if (owner.walkDepth++ == 0) {
            uint64_t length = stream ? StreamLength(stream) : 0;
            owner.walkRecordsLeft = length / SmallestRecordBytes;
            owner.walkBytesLeft = length;
        }
    }
    ~WalkGuard() { --owner.walkDepth; }
    WalkGuard(const WalkGuard&) = delete;
    WalkGuard& operator=(const WalkGuard&) = delete;

private:
    PayloadContainer& owner;
};

PayloadContainer::PayloadContainer(const std::string& containerPath) : containerPath(containerPath)
{
}

bool PayloadContainer::ReadName(std::FILE* file, std::string& name)
{
    uint32_t length = 0;
    if (!SeekBack(file, 4) || !ReadU32(file, length) || length >= NameLimit)
        return false;
    char buffer[NameLimit] = {};
    if (!SeekBack(file, 4) || !SeekBack(file, length) || std::fread(buffer, 1, length, file) != length)
        return false;
    if (!SeekBack(file, length))
        return false;
    name.assign(buffer);
    return true;
}

bool PayloadContainer::ReadRecord(std::FILE* file, ContainerEntry& entry)
{
    if (!ReadName(file, entry.name))
        return false;
    unsigned char flags = 0;
    if (!SeekBack(file, 1) || std::fread(&flags, 1, 1, file) != 1 || !SeekBack(file, 1))
        return false;
    entry.flags = flags;
    return ReadU32Before(file, entry.size) && ReadU32Before(file, entry.offset);
}

bool PayloadContainer::ReadList(std::FILE* file, ContainerEntryList& list, uint32_t& base)
{
    uint32_t count = 0;
    if (!SeekBack(file, 4) || !ReadU32(file, count))
        return false;
    if (!SeekBack(file, 4) || !ReadU32Before(file, base))
        return false;
    list.clear();
    for (uint32_t i = 0; i < count; ++i) {
        ContainerEntry entry;
        if (!ReadRecord(file, entry))
            return false;
        list.push_back(entry);
    }
    return true;
}

// The trailer of an unsigned file ends at the file's end. In a signed file it ends before
// the certificate table and the zero padding the signing tool may have put in front of
// it; the trailer's own last bytes can be zeros too (its length field), so each padding
// length is tried, shortest first, and only the true one shows the signature.
bool PayloadContainer::SeekTrailer(std::FILE* file)
{
    uint64_t length = StreamLength(file);
    uint64_t end = length;
    isSigned = CertificateTable::Locate(file, length, end);
    for (unsigned padding = 0;; ++padding) {
        std::string signature;
        if (!SeekTo(file, end - padding))
            return false;
        if (ReadName(file, signature) && signature == Signature)
            return true;
        if (!isSigned || padding == CertificateTable::PaddingLimit || padding == end)
            return false;
        if (!SeekTo(file, end - padding - 1) || std::fgetc(file) != 0)
            return false;
    }
}

bool PayloadContainer::ReadIndex(ContainerEntryList& list)
{
    isSigned = false;
    Stream file(ContainerFileSystem::OpenStream(containerPath, "rb"));
    if (!file || !SeekTrailer(file.get()))
        return false;
    uint32_t base = 0;
    if (!ReadList(file.get(), list, base))
        return false;
    for (ContainerEntry& entry : list)
        entry.offset += base;
    return true;
}

const ContainerEntry* PayloadContainer::Find(const ContainerEntryList& list, const std::string& name, bool directory)
{
    for (const ContainerEntry& entry : list) {
        if (entry.IsDirectory() == directory && SameName(entry.name, name))
            return &entry;
    }
    return nullptr;
}

bool PayloadContainer::IsPlainName(const std::string& name)
{
    if (name.find_first_of("\\/:") != std::string::npos)
        return false;
    // Windows drops trailing dots and spaces from a path component, so "..", ". ." and
    // ".. " all name the parent or the folder itself there.
    return name.find_first_not_of(". ") != std::string::npos;
}

std::string PayloadContainer::JoinPath(const std::string& parent, const std::string& name)
{
    if (!parent.empty() && parent.back() == '\\')
        return parent + name;
    return parent + "\\" + name;
}

bool PayloadContainer::ExtractAll(const ContainerEntryList& list, const std::string& destination)
{
    written.clear();
    if (containerPath.empty() || !ContainerFileSystem::PathExists(containerPath))
        return false;
    ContainerFileSystem::CreateFolder(destination);
    Stream stream(ContainerFileSystem::OpenStream(containerPath, "rb"));
    if (!stream)
        return false;
    std::setvbuf(stream.get(), nullptr, _IOFBF, StreamBuffer);
    WalkGuard walk(*this, stream.get());
    for (const ContainerEntry& entry : list) {
        bool written = entry.IsDirectory() ? ExtractDirectory(entry, destination, stream.get())
                                           : ExtractFile(entry, destination, stream.get());
        if (!written)
            return false;
    }
    return true;
}

bool PayloadContainer::ExtractDirectory(ContainerEntry entry, std::string parentPath, std::FILE* stream)
{
    WalkGuard walk(*this, stream);
    if (parentPath.empty() || !stream || !IsPlainName(entry.name))
        return false;
    std::string path = JoinPath(parentPath, entry.name);
    if (ContainerFileSystem::PathLength(path) > PathLimit)
        return false;
    if (ContainerFileSystem::CreateFolder(path))
        written.push_back(path);

    ContainerEntryList children;
    uint32_t base = 0;
    if (!SeekTo(stream, uint64_t(entry.offset) + entry.size) || !ReadList(stream, children, base))
        return false;
    if (children.size() > walkRecordsLeft)
        return false;
    walkRecordsLeft -= children.size();

    for (ContainerEntry& child : children) {
        child.offset += base;
        bool written = child.IsDirectory() ? ExtractDirectory(child, path, stream)
                                           : ExtractFile(child, path, stream);
        if (!written)
            return false;
    }
    return true;
}

bool PayloadContainer::ExtractFile(ContainerEntry entry, std::string parentPath, std::FILE* stream)
{
    WalkGuard walk(*this, stream);
    if (parentPath.empty() || entry.IsDirectory() || !stream || !IsPlainName(entry.name))
        return false;
    if (entry.size > walkBytesLeft)
        return false;
    walkBytesLeft -= entry.size;
    std::string path = JoinPath(parentPath, entry.name);
    if (ContainerFileSystem::PathLength(path) > PathLimit)
        return false;

    Stream output(ContainerFileSystem::OpenStream(path, "wb"));
    if (!output)
        return false;
    written.push_back(path);
    // Small files keep the default buffer: a large one for each costs more than it saves.
    if (entry.size > StreamBuffer)
        std::setvbuf(output.get(), nullptr, _IOFBF, StreamBuffer);
    std::FILE* out = output.get();
    if (!CopyRegion(stream, entry, [out](const char* bytes, size_t count) {
            return std::fwrite(bytes, 1, count, out) == count;
        }))
        return false;
    // Buffered writes report a full disk only when they are flushed.
    return std::fclose(output.release()) == 0;
}

bool PayloadContainer::CopyRegion(std::FILE* stream, const ContainerEntry& entry, const Sink& sink)
{
    if (!SeekTo(stream, entry.offset))
        return false;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[CopyChunk]);
    if (!buffer)
        return false;
    uint64_t copied = 0;
    while (copied < entry.size) {
        size_t arrived = std::fread(buffer.get(), 1, CopyChunk, stream);
        // A region that runs past the end of the container ends the copy as a failure.
        if (arrived == 0)
            return false;
        size_t wanted = static_cast<size_t>(std::min<uint64_t>(entry.size - copied, arrived));
        if (!sink(buffer.get(), wanted))
            return false;
        copied += arrived;
    }
    return true;
}

bool PayloadContainer::CopyEntry(const ContainerEntry& entry, const Sink& sink)
{
    Stream stream(ContainerFileSystem::OpenStream(containerPath, "rb"));
    if (!stream || entry.IsDirectory())
        return false;
    std::setvbuf(stream.get(), nullptr, _IOFBF, StreamBuffer);
    return CopyRegion(stream.get(), entry, sink);
}

bool PayloadContainer::ReadDirectory(const std::string& directory, ContainerEntryList& children)
{
    children.clear();
    ContainerEntryList top;
    if (!ReadIndex(top))
        return false;
    const ContainerEntry* folder = Find(top, directory, true);
    Stream stream(ContainerFileSystem::OpenStream(containerPath, "rb"));
    // A directory's region ends with its own list of entries.
    uint32_t base = 0;
    if (!folder || !stream || !SeekTo(stream.get(), uint64_t(folder->offset) + folder->size) ||
        !ReadList(stream.get(), children, base))
        return false;
    for (ContainerEntry& child : children) {
        if (uint64_t(child.offset) + base > LastPosition)
            return false;
        child.offset += base;
    }
    return true;
}

bool PayloadContainer::ExtractEntry(const std::string& directory, const std::string& name,
                                    const std::string& destination)
{
    written.clear();
    ContainerEntryList children;
    if (!ReadDirectory(directory, children))
        return false;
    const ContainerEntry* file = Find(children, name, false);
    Stream stream(ContainerFileSystem::OpenStream(containerPath, "rb"));
    if (!file || !stream)
        return false;
    WalkGuard walk(*this, stream.get());
    return ExtractFile(*file, destination, stream.get());
}
