#pragma once
#include <mutex>
#include <string>
#include <vector>

// The files and folders one installation run created, as full paths, so that a rollback
// into a folder the user already had removes exactly these and nothing of the user's.
// Written by the install worker and read by the user-interface thread's rollback, which
// may run while the worker still finishes its last chunk; hence the lock.
class CreatedEntries {
public:
    CreatedEntries() = default;
    virtual ~CreatedEntries() = default;
    CreatedEntries(const CreatedEntries&) = delete;
    CreatedEntries& operator=(const CreatedEntries&) = delete;

    void Add(const std::string& path);
    std::vector<std::string> Snapshot() const;

    // Makes sure the folder exists, creating every missing folder on the way down from
    // the first one that exists, and records each folder it created. True when the
    // folder exists afterwards (a plain file of that name does not count).
    bool EnsureFolder(const std::string& folder);

private:
    mutable std::mutex lock;
    std::vector<std::string> paths;
};
