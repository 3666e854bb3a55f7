#include "i18n/RecordCache.h"

#include "framework/FileApi.h"

#include <windows.h>

namespace {

// Coarser than any file system's time stamps (FAT keeps two seconds).
constexpr uint64_t kStampResolution = 2 * 10000000ull + 1;
// A profile larger than this is not compared byte for byte; its records are not kept
// while its stamps are too recent to decide.
constexpr uint64_t kLargestCompared = 1 << 20;

uint64_t Join(DWORD high, DWORD low)
{
    return (uint64_t(high) << 32) | low;
}

uint64_t Now()
{
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    return Join(now.dwHighDateTime, now.dwLowDateTime);
}

bool ReadBytes(const std::string& path, uint64_t size, std::string& bytes)
{
    if (size > kLargestCompared)
        return false;
    HANDLE file = FileApi::Open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bytes.assign(static_cast<size_t>(size) + 1, '\0');
    DWORD got = 0;
    BOOL ok = ::ReadFile(file, &bytes[0], DWORD(bytes.size()), &got, nullptr);
    ::CloseHandle(file);
    // One byte more than the stamp said is asked for, so a file that grew meanwhile shows.
    if (!ok || got != size)
        return false;
    bytes.resize(got);
    return true;
}

} // namespace

bool RecordCache::FileState::Recent() const
{
    return exists && !(writeTime + kStampResolution < takenAt);
}

RecordCache::FileState RecordCache::Begin(const std::string& filePath, bool withBytes) const
{
    FileState now;
    now.takenAt = Now();
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (FileApi::AttributeData(filePath, data)
        && !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        now.exists = true;
        now.size = Join(data.nFileSizeHigh, data.nFileSizeLow);
        now.writeTime = Join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
    }
    // Read before the caller fills its record: a write during the fill then makes the
    // file differ from these bytes at the next lookup.
    if (withBytes && now.Recent())
        now.bytesKnown = ReadBytes(filePath, now.size, now.bytes);
    return now;
}

bool RecordCache::Unchanged(const std::string& filePath, const FileState& now)
{
    if (now.exists != state.exists)
        return false;
    if (!now.exists)
        return true;
    if (now.size != state.size || now.writeTime != state.writeTime)
        return false;
    // Stamps well older than the fill: any later write would have moved them.
    if (!state.Recent())
        return true;
    std::string bytes;
    if (!state.bytesKnown || !ReadBytes(filePath, now.size, bytes) || bytes != state.bytes)
        return false;
    // Equal bytes now: from here on the stamps alone can decide once they are old enough.
    state.takenAt = now.takenAt;
    return true;
}

bool RecordCache::Find(const std::string& filePath, int recordLanguage, LanguageRecord& out)
{
    FileState now = Begin(filePath, false);
    std::lock_guard<std::mutex> guard(lock);
    if (!valid || recordLanguage != language || filePath != path || !Unchanged(filePath, now))
        return false;
    out = record;
    return true;
}

void RecordCache::Store(const std::string& filePath, int recordLanguage, const FileState& before,
                        const LanguageRecord& filled)
{
    // A stamp too recent to decide by needs the bytes to compare with; without them the
    // record is not kept.
    if (before.Recent() && !before.bytesKnown) {
        Clear();
        return;
    }
    std::lock_guard<std::mutex> guard(lock);
    valid = true;
    path = filePath;
    language = recordLanguage;
    state = before;
    record = filled;
}

void RecordCache::Clear()
{
    std::lock_guard<std::mutex> guard(lock);
    valid = false;
}
