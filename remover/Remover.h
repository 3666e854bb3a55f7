#pragma once
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

// Deletes directory trees, single files and the installation record (HKCU\Software\Orvanta).
//
// One instance per process, created by the first Instance() call and destroyed by
// DestroyInstance(). Its creation queues the recorded installation (the record's
// "InstallPath", the record's program group below the all-users Programs folder, and the
// desktop shortcut named by "DesktopName") and sets the record's "Repair" to "1"; its
// destruction sets "Repair" back to "0". Both writes go only into a record key that
// already exists: the remover never creates the key.
//
// A rollback queues more with AddDirectory, AddFile and AddCreatedEntries and calls
// Start: the worker thread then removes the queued trees, the created entries, the
// queued files and finally the record key. Instance, the Add operations, Start and
// DestroyInstance belong to the main thread; once started, the Add operations refuse
// (false): the worker is iterating the lists.
//
// RemoveTree, RemoveFile and the record functions touch no instance and may run on any
// thread, also while the worker runs (the engine's exit clean-up does so).
class Remover {
public:
    static Remover* Instance();

    // Destroys the instance, if any. A running worker is waited for up to maxWaitMs
    // first, so that an exit during a rollback completes the removal; see the .cpp for
    // the bound and for what happens when it passes.
    static void DestroyInstance(DWORD maxWaitMs = kWorkerWaitMs);

    bool AddDirectory(const std::string& path);
    bool AddFile(const std::string& path);

    // For the rollback of a failed run: forgets what the construction queued from the
    // record, and the worker leaves the record key alone. The previous installation and
    // its record stay as they were; only what is queued afterwards goes. False once started.
    bool KeepRecordedInstallation();

    // Rollback into a folder that existed before the installation and is not the
    // recorded installation's folder: instead of AddDirectory on that folder (which
    // would take the user's own files with it), the engine hands over every file and
    // folder its run created there, in any order. The worker deletes exactly those:
    // the files first, then the folders, deepest first, each only when it is empty.
    // Everything else in the folder, and the folder itself unless it was created, stays.
    // Relative and empty paths are ignored.
    bool AddCreatedEntries(const std::vector<std::string>& paths);

    // Starts the worker thread over the queued lists, once per instance. False when it
    // was started before or the thread cannot be created; nothing is removed then. The
    // engine's rollback ignores the result: the wizard has no way to report it.
    bool Start();

    const std::vector<std::string>& Directories() const { return directories; }
    const std::vector<std::string>& Files() const { return files; }

    // Removes the folder and everything below it; true when the folder itself went.
    // Refuses (false, nothing touched) whatever RemovalGuard::RefusesTree. Links and
    // junctions are removed as links and never walked; entries whose full path would
    // exceed MAX_PATH - 1 characters are skipped, so their folders stay.
    static bool RemoveTree(const std::string& path);
    static bool RemoveFile(const std::string& path);

    // A value of the record; empty when the key, the value or room for it (79
    // characters and the terminating NUL) is missing.
    static std::string GetRecordValue(const std::string& name);
    // Writes a REG_SZ value into the existing record key; false when there is no key.
    static bool SetRecordValue(const std::string& name, const std::string& text);

    static constexpr DWORD kWorkerWaitMs = 60000;

private:
    Remover();
    virtual ~Remover();
    Remover(const Remover&) = delete;
    Remover& operator=(const Remover&) = delete;

    static UINT WorkerMain(LPVOID param);
    static void RemoveTreeBelow(const std::string& path);
    void RemoveCreatedEntries() const;
    // Called by whichever of the worker's end and an abandoning DestroyInstance comes
    // second: that one deletes the instance.
    static void Release(Remover* remover);

    std::vector<std::string> directories;
    std::vector<std::string> files;
    std::vector<std::string> createdEntries;
    HANDLE worker = nullptr;       // the worker thread, to wait for; null when none could be kept
    bool started = false;
    bool deletesRecord = true;
    std::atomic<bool> handedOver{false};

    static Remover* instance;
};
