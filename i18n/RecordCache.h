#pragma once
// The last language record the table filled, kept with what it was filled from: the
// profile file's path, the language and the file's state. Paints and control-colour
// requests ask for the same record again and again; answering them from here instead of
// 37 profile reads each is what keeps a busy progress page cheap.
//
// The answer is never stale: every lookup checks the file first. Its size and
// last-write time decide when the file has not been written since well before the
// record was filled; within the file system's time-stamp resolution of that moment
// (and for a file written just now, such as the freshly unpacked lang.ini) the stamps
// cannot tell, and the file's bytes are compared with those the record came from.
// A missing file is a state of its own, so a file that appears is seen.
//
// Threads: lookups and stores are serialised; the table is normally queried by the
// user-interface thread only.
#include "i18n/LanguageRecord.h"

#include <cstdint>
#include <mutex>
#include <string>

class RecordCache {
public:
    RecordCache() = default;
    virtual ~RecordCache() = default;
    RecordCache(const RecordCache&) = delete;
    RecordCache& operator=(const RecordCache&) = delete;

    // True, with record filled, when the stored record was made from path and language
    // and the file is unchanged since.
    bool Find(const std::string& path, int language, LanguageRecord& record);
    // The file's state before a fill: stamps, and its bytes when withBytes and the
    // stamps are too recent to decide by. Taken before the fill, so that a write during
    // the fill is seen at the next lookup.
    struct FileState {
        bool exists = false;
        uint64_t size = 0;
        uint64_t writeTime = 0;
        uint64_t takenAt = 0;
        std::string bytes;
        bool bytesKnown = false;
        bool Recent() const;
    };
    FileState Begin(const std::string& path, bool withBytes) const;
    // Keeps record as made from path and language after the file was in state before.
    void Store(const std::string& path, int language, const FileState& before, const LanguageRecord& record);
    void Clear();

private:
    bool Unchanged(const std::string& path, const FileState& now);

    std::mutex lock;
    bool valid = false;
    std::string path;
    int language = 0;
    FileState state;
    LanguageRecord record;
};
