#include "tools/SetupInspector.h"

#include "container/ContainerFileSystem.h"
#include "container/PayloadContainer.h"
#include "container/ScopedFile.h"
#include "container/SetupLayout.h"
#include "tools/FileBytes.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <memory>
#include <vector>

#include <zlib.h>

namespace {

using Stream = ScopedFile;

// Deep enough for any sensible tree. With the entry budget (no more entries than the file
// could hold records for) a corrupt index whose directories refer to each other stops
// instead of printing forever.
constexpr unsigned DepthLimit = 64;
const char SignedNote[] = "signed: an Authenticode certificate table follows the container\n";

void AddLine(std::string& listing, const ContainerEntry& entry, unsigned depth, const char* note)
{
    char line[128];
    std::snprintf(line, sizeof line, "%-9s %10" PRIu32 " %10" PRIu32 "  %*s", entry.IsDirectory() ? "directory" : "file",
                  entry.offset, entry.size, static_cast<int>(2 * depth), "");
    listing += line;
    listing += entry.name;
    listing += note;
    listing += '\n';
}

bool ListEntries(std::FILE* file, const ContainerEntryList& list, unsigned depth, uint64_t& entriesLeft,
                 std::string& listing, std::string& error)
{
    for (const ContainerEntry& entry : list) {
        if (entriesLeft == 0) {
            error = "the index names more entries than the file can hold";
            return false;
        }
        --entriesLeft;
        AddLine(listing, entry, depth, "");
        if (!entry.IsDirectory())
            continue;
        uint64_t end = uint64_t(entry.offset) + entry.size;
        ContainerEntryList children;
        uint32_t base = 0;
        if (depth + 1 >= DepthLimit || end > 0x7FFFFFFF ||
            std::fseek(file, static_cast<long>(end), SEEK_SET) != 0 ||
            !PayloadContainer::ReadList(file, children, base)) {
            error = "unreadable nested list of directory " + entry.name;
            return false;
        }
        for (ContainerEntry& child : children)
            child.offset += base;
        if (!ListEntries(file, children, depth + 1, entriesLeft, listing, error))
            return false;
    }
    return true;
}

} // namespace

bool SetupInspector::ListSetup(const std::string& setup, std::string& listing, std::string& error)
{
    uint64_t size = 0;
    if (!FileBytes::Size(setup, size, error))
        return false;
    ContainerEntryList list;
    PayloadContainer container(setup);
    if (!container.ReadIndex(list)) {
        error = setup + " carries no container (no readable index at its end)";
        return false;
    }
    Stream file(ContainerFileSystem::OpenStream(setup, "rb"));
    if (!file) {
        error = "cannot open " + setup;
        return false;
    }
    listing = container.IsSigned() ? SignedNote : "";
    listing += "kind          offset       size  name\n";
    uint64_t entriesLeft = size / PayloadContainer::SmallestRecordBytes;
    return ListEntries(file.get(), list, 0, entriesLeft, listing, error);
}

bool SetupInspector::ExtractSetup(const std::string& setup, const std::string& folder, const std::string& zipOut,
                                  std::string& note, std::string& error)
{
    uint64_t size = 0;
    if (!FileBytes::Size(setup, size, error))
        return false;
    if (folder.empty()) {
        error = "no destination folder";
        return false;
    }
    PayloadContainer container(setup);
    ContainerEntryList list;
    if (!container.ReadIndex(list)) {
        error = setup + " carries no container (no readable index at its end)";
        return false;
    }
    if (!container.ExtractAll(list, folder)) {
        error = "extraction into " + folder + " failed (damaged container or unwritable folder)";
        return false;
    }
    note = container.IsSigned() ? SignedNote : "";
    if (zipOut.empty())
        return true;
    std::string payloadPath =
        PayloadContainer::JoinPath(PayloadContainer::JoinPath(folder, SetupLayout::InstallFolder), SetupLayout::Payload);
    Stream payload(ContainerFileSystem::OpenStream(payloadPath, "rb"));
    if (!payload) {
        error = "the setup carries no install\\Orva.in";
        return false;
    }
    std::vector<uint8_t> zip;
    uint8_t chunk[64 * 1024];
    size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, payload.get())) > 0)
        zip.insert(zip.end(), chunk, chunk + n);
    std::reverse(zip.begin(), zip.end());
    return FileBytes::Write(zipOut, {&zip}, error);
}

bool SetupInspector::CheckPayload(const std::string& setup, std::string& error)
{
    PayloadContainer container(setup);
    ContainerEntryList entries;
    if (!container.ReadDirectory(SetupLayout::InstallFolder, entries)) {
        error = setup + " carries no container with an install directory";
        return false;
    }
    const ContainerEntry* payload = PayloadContainer::Find(entries, SetupLayout::Payload, false);
    const ContainerEntry* checksum = PayloadContainer::Find(entries, SetupLayout::PayloadChecksum, false);
    std::string stored;
    uLong crc = crc32(0L, Z_NULL, 0);
    bool read = payload && checksum && checksum->size == 4 &&
                container.CopyEntry(*checksum, [&](const char* bytes, size_t count) {
                    stored.append(bytes, count);
                    return true;
                }) &&
                container.CopyEntry(*payload, [&](const char* bytes, size_t count) {
                    crc = crc32(crc, reinterpret_cast<const Bytef*>(bytes), static_cast<uInt>(count));
                    return true;
                });
    uint32_t storedCrc = 0;
    for (size_t i = stored.size(); i-- > 0;)
        storedCrc = storedCrc << 8 | static_cast<unsigned char>(stored[i]);
    if (!read || storedCrc != static_cast<uint32_t>(crc)) {
        error = setup + ": install\\Orva.in does not match its checksum";
        return false;
    }
    return true;
}
