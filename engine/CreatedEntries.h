#pragma once
#include <mutex>
#include <string>
#include <vector>

// What one installation run put on the machine: the files and folders it created, as full
// paths, so that a rollback removes exactly these and nothing of the user's; the payload
// files it wrote and the shortcuts it saved, for the install log; and the bytes of each
// shortcut file it replaced, so that a rollback can put them back. Files of the install
// directory that the run replaced are kept by SetAside, not here.
// Written by the install worker and read by the user-interface thread once the worker
// has ended; the lock keeps a reader that comes early (a test, a stuck worker) safe.
class CreatedEntries {
public:
    struct Shortcut {
        std::string path;
        bool replaced = false;
        std::string earlierBytes;  // the replaced link file's content
    };

    CreatedEntries() = default;
    virtual ~CreatedEntries() = default;
    CreatedEntries(const CreatedEntries&) = delete;
    CreatedEntries& operator=(const CreatedEntries&) = delete;

    void Add(const std::string& path);
    std::vector<std::string> Snapshot() const;

    // A payload file written below the install directory (relative name).
    void AddWritten(const std::string& relative);
    std::vector<std::string> Written() const;

    void AddShortcut(Shortcut shortcut);
    std::vector<Shortcut> Shortcuts() const;

    // Makes sure the folder exists, creating every missing folder on the way down from
    // the first one that exists, and records each folder it created. True when the
    // folder exists afterwards as a folder of its own: a plain file of that name does not
    // count, and neither does a link (a junction), which would lead elsewhere.
    bool EnsureFolder(const std::string& folder);

private:
    mutable std::mutex lock;
    std::vector<std::string> paths;
    std::vector<std::string> written;
    std::vector<Shortcut> shortcuts;
};
