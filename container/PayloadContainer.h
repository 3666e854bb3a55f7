#pragma once
#include "container/ContainerEntry.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// Reader of the container appended behind the setup executable, and the walk that writes
// its tree into a folder.
//
// Layout (u32 = unsigned 32-bit little endian), read from the end of the file (of a signed
// file: from the start of its certificate table) backwards:
//   ... data regions ... | top-level list | "This is a file list ." | u32 21
//   list   = record* | u32 base | u32 count     (the record stored last is index 0)
//   record = u32 offset | u32 size | u8 flags | name bytes | u32 namelen (< 260)
// A record's offset is relative to its list's base. A directory's region ends with its own
// nested list. Positions are signed 32-bit: file and container stay below 2 GiB.
//
// No file stays open between operations. Failures are false results, never exceptions.
class PayloadContainer {
public:
    static const char Signature[];        // "This is a file list ."
    static constexpr uint32_t NameLimit = 260;   // stored name lengths must stay below
    // A record with an empty name: offset, size, flags and name length. No container holds
    // more records than its length over this.
    static constexpr uint64_t SmallestRecordBytes = 13;
    // Longest path the walk writes, counted as the file system counts (ContainerFileSystem::
    // PathLength): on Windows in UTF-16 units, so a path outside ASCII has as much room as
    // the system gives it.
    static constexpr size_t PathLimit = 259;

    explicit PayloadContainer(const std::string& containerPath);
    virtual ~PayloadContainer() = default;

    // Reads the trailer and the top-level list; on true the offsets are absolute. In an
    // Authenticode-signed file the container ends before the certificate table.
    bool ReadIndex(ContainerEntryList& list);
    // Whether the last ReadIndex found a certificate table behind the container.
    bool IsSigned() const { return isSigned; }

    // Writes the tree below destination in list order; stops at the first failing entry
    // and leaves what was written before it.
    bool ExtractAll(const ContainerEntryList& list, const std::string& destination);
    // The paths the last ExtractAll or ExtractEntry wrote below its destination, in the
    // order it made them (a folder before its content), also when it failed: every file
    // it opened for writing and every folder it created; a folder that existed already
    // is not one of them, nor is the destination itself.
    const std::vector<std::string>& Written() const { return written; }
    // The entry's offset must be absolute; the stream is the open container.
    bool ExtractDirectory(ContainerEntry entry, std::string parentPath, std::FILE* stream);
    bool ExtractFile(ContainerEntry entry, std::string parentPath, std::FILE* stream);
    // The entries of the top-level directory `directory` (names compare ignoring ASCII
    // case), their offsets absolute. False when the container or the directory is missing.
    bool ReadDirectory(const std::string& directory, ContainerEntryList& children);
    // Takes one chunk of an entry's bytes; false stops the copy as a failure.
    using Sink = std::function<bool(const char* bytes, size_t count)>;
    // Hands the bytes of a file entry (offset absolute) to sink in order. False when a
    // region runs past the end of the container or the sink refuses a chunk.
    bool CopyEntry(const ContainerEntry& entry, const Sink& sink);
    // Writes the one file `name` of the top-level directory `directory` into destination,
    // which must exist. Names compare ignoring ASCII case. False when the container, the
    // directory or the file is missing, or the file cannot be written.
    bool ExtractEntry(const std::string& directory, const std::string& name, const std::string& destination);

    // Backward reading steps: each starts just after the item it reads and leaves the
    // position at that item's first byte. They never seek before the start of the file.
    static bool ReadName(std::FILE* file, std::string& name);
    static bool ReadRecord(std::FILE* file, ContainerEntry& entry);
    static bool ReadList(std::FILE* file, ContainerEntryList& list, uint32_t& base);

    // The entry of the list with that name and kind, names compared ignoring ASCII case;
    // null when there is none.
    static const ContainerEntry* Find(const ContainerEntryList& list, const std::string& name, bool directory);
    // An entry name is written only when it is one plain path component.
    static bool IsPlainName(const std::string& name);
    // Joins with one backslash, added only when the parent does not already end with one.
    static std::string JoinPath(const std::string& parent, const std::string& name);

private:
    class WalkGuard;

    // Leaves the position just behind the trailer's signature length; false without one.
    bool SeekTrailer(std::FILE* file);
    static bool CopyRegion(std::FILE* stream, const ContainerEntry& entry, const Sink& sink);

    std::string containerPath;
    bool isSigned = false;
    std::vector<std::string> written;

    // The walk of one extraction may visit at most as many nested records as the container
    // could store and copy at most as many bytes as it holds. A genuine container stays
    // well inside both; a corrupt one whose directories refer to each other would otherwise
    // multiply its tree without end.
    unsigned walkDepth = 0;
    uint64_t walkRecordsLeft = 0;
    uint64_t walkBytesLeft = 0;
};
