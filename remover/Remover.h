#pragma once
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "remover/InstallLog.h"

// The rollback's remover, and the removal helpers of the exit clean-up.
//
// One instance per process, created by the first Instance() call and destroyed by
// DestroyInstance(). Its creation sets the record's "Repair" to "1", its destruction back
// to "0"; both writes go only into a record key that already exists: the remover never
// creates the key. A process that ends in between leaves "1", and the next start repairs.
//
// A rollback hands over exactly what its run created (AddCreatedEntries) and, when the
// user abandoned the run, the installation the record names (QueueRecordedInstallation),
// then calls Start: the worker thread removes the created entries, then the recorded
// installation exactly as its install log lists it, then the record key. Nothing is ever
// removed as a whole tree. Instance, the queueing operations, Start and DestroyInstance
// belong to the main thread; once started, the queueing operations refuse (false): the
// worker is reading what they filled.
//
// RemoveTree, RemoveFile and the record functions touch no instance and may run on any
// thread, also while the worker runs.
class Remover {
public:
    static Remover* Instance();

    // Destroys the instance, if any. A running worker is waited for up to maxWaitMs
    // first, so that an exit during a rollback completes the removal; see the .cpp for
    // the bound and for what happens when it passes.
    static void DestroyInstance(DWORD maxWaitMs = kWorkerWaitMs);

    // What QueueRecordedInstallation found.
    enum class Recorded {
        None,     // no record, or one that breaks the rules (RecordedInstallation): nothing of it goes
        NoLog,    // the recorded directory holds no readable install log: nothing of it goes
        Queued,   // its log is queued for removal
    };
    // The user's abandon: the installation the record names goes too, exactly as its log
    // lists it, and the record key is deleted at the end. False-like None when started.
    Recorded QueueRecordedInstallation();

    // The files, folders and shortcuts the run created, as full paths, in any order. The
    // worker deletes exactly those: the files first, then the folders, deepest first,
    // each only when it is empty; links among them as links. Relative and empty paths are
    // ignored.
    bool AddCreatedEntries(const std::vector<std::string>& paths);

    // Starts the worker thread over the queued lists, once per instance. False when it
    // was started before or the thread cannot be created; nothing is removed then. The
    // engine's rollback ignores the result: the wizard has no way to report it.
    bool Start();

    const std::vector<std::string>& CreatedEntries() const { return createdEntries; }
    // The recorded installation's directory when its log is queued, else empty.
    const std::string& RecordedDirectory() const { return recordedDirectory; }
    bool DeletesRecord() const { return deletesRecord; }

    // Removes the folder and everything below it; true when the folder itself went.
    // Refuses (false, nothing touched) whatever RemovalGuard::RefusesTree. Links and
    // junctions are removed as links and never walked; entries whose full path would
    // exceed MAX_PATH - 1 characters are skipped, so their folders stay.
    static bool RemoveTree(const std::string& path);
    static bool RemoveFile(const std::string& path);

    // A text value of the record; empty when the key or the value is missing or the
    // value has no room in kRecordValueRoom.
    static std::string GetRecordValue(const std::string& name);
    // Writes a REG_SZ value into the existing record key; false when there is no key.
    static bool SetRecordValue(const std::string& name, const std::string& text);

    static constexpr DWORD kWorkerWaitMs = 60000;
    // 79 characters and the terminating NUL. Characters are UTF-16 units, as the registry
    // stores the value, not the bytes of its UTF-8 form: a name outside ASCII fits as
    // many characters as one in ASCII.
    static constexpr DWORD kRecordValueRoom = 80;

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

    std::vector<std::string> createdEntries;
    std::string recordedDirectory;
    InstallLog recordedLog;
    HANDLE worker = nullptr;       // the worker thread, to wait for; null when none could be kept
    bool started = false;
    bool deletesRecord = false;
    std::atomic<bool> handedOver{false};

    static Remover* instance;
};
