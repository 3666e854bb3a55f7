#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include <memory>
#include <unordered_set>
#include <utility>

#include "engine/CreatedEntries.h"
#include "remover/InstallLog.h"
#include "remover/SetAside.h"
#include "engine/ProgressNotice.h"
#include "engine/SetupWorkFolder.h"
#include "i18n/InstallSettings.h"
#include "engine/zip/ZipReader.h"
#include "framework/RegKeySnapshot.h"

class ProgressScale;
class ScopedHandle;

// The one engine of the setup: it knows where the product goes and installs it.
//
// The constructor prepares what the wizard needs (proposed install directory, shell
// folders, existing program groups, the container's install folder unpacked and held in
// the working folder, and the language table pointed at its lang.ini); the destructor
// removes what it unpacked there again. The wizard hands over the user's choices and
// starts the worker, which unpacks the payload, makes the shortcuts, writes the install
// record and reports every step to the frame window with WM_INSTALL_PROGRESS
// (ProgressNotice.h).
//
// Threads: the user-interface thread constructs and destroys the engine and calls the
// setters, the queries, StartWorker, RequestCancel, Rollback, ReadRecordValue and
// LaunchProgram. The worker runs WorkerMain and the worker steps below. The paths and
// choices are fixed before StartWorker; `state` is the only field both threads write.
class InstallEngine {
public:
    // containerPath: the file whose appended container is unpacked; empty means the
    // running executable.
    explicit InstallEngine(const std::string& containerPath = std::string());
    virtual ~InstallEngine();
    InstallEngine(const InstallEngine&) = delete;
    InstallEngine& operator=(const InstallEngine&) = delete;

    // --- called by the wizard (user-interface thread) ---
    void SetFrameWindow(HWND window) { frameWindow = window; }
    void SetInstallDirectory(std::string directory) { installDirectory = std::move(directory); }
    void SetProgramGroup(std::string group) { programGroup = std::move(group); }
    const std::vector<std::string>& GetProgramGroups() const { return programGroups; }
    bool InstallDirectoryExists() const;
    // True when the directory, followed through its links, is one the removal guard
    // refuses (a drive, a system folder, a user's folder): no installation goes there.
    bool InstallDirectoryRefused() const;
    // Starts the install worker, once. False when it ran before or the thread cannot be
    // created; in the second case NoticeFailed has been sent to the frame window.
    bool StartWorker();
    bool RequestCancel();
    // The user's abandon: puts back every file and shortcut the run replaced, removes
    // exactly what the run created, and the recorded installation exactly as its install
    // log lists it, with its record. One rollback per run: a second call, of either kind,
    // returns false and does nothing.
    bool Rollback();
    // A failed run: puts back what the run replaced and removes what it created; the
    // recorded installation and the record stay as they were.
    bool RollbackFailedRun();
    // False when the last rollback could not undo the run: its worker did not stop in
    // time (nothing of the run was removed then), or a replaced file could not be put back
    // (it stays set aside, for the next run to restore).
    bool RollbackComplete() const { return rollbackComplete; }
    // A value of the record in UTF-8; empty for one of 80 characters (UTF-16 units) or more.
    std::string ReadRecordValue(const std::string& name) const;
    void LaunchProgram() const;

    // True when the construction found the container and unpacked all of it, its payload
    // matching the checksum stored beside it.
    bool ContainerUnpacked() const { return containerUnpacked; }
    // The path of a file the construction unpacked and holds; empty when there is none.
    std::string UnpackedFile(const std::string& name) const { return workFolder.FilePath(name); }
    // For a start that ends before the wizard: removes what was unpacked now,
    // and the destruction then leaves the record exactly as it was (the remover it would
    // otherwise make marks the record's "Repair").
    void DiscardUnpacked();

    // Sends one notice to the frame window unless the cancel rule silences it (after a
    // cancel only NoticeTotal and NoticeDone go out); returns the message result.
    LRESULT Notify(int32_t code, int32_t chunkBytes, int32_t size, std::string name);

    // Waits up to timeoutMs (INFINITE allowed) for the install worker to end while this
    // thread keeps handling messages sent to its windows; true when no worker runs.
    bool WaitForWorker(DWORD timeoutMs);

    // --- the worker's steps (worker thread; public so that tests can run them alone) ---
    static UINT WorkerMain(LPVOID param);
    // True when the payload was opened and every item reached was written completely
    // (a cancel between items included); false when the payload is missing, does not match
    // what the setup's container says it holds, or is no archive, an item failed, or a
    // cancel interrupted a file.
    bool ExtractPayload();
    // False, doing nothing, after a cancel; otherwise group, shortcuts, record and the
    // install log. False also when the log cannot be written: the installation could not
    // be removed exactly later, so the run fails.
    bool FinishInstall();
    void NotifyShellFolder(LONG event, const std::string& path);
    bool CreateGroupShortcut(std::string target, std::string linkName, std::string icon);
    bool CreateDesktopShortcut(std::string target, std::string linkName, std::string icon);
    void WriteRecordValue(const std::string& name, const std::string& text);
    void WriteUninstallEntry(const InstallSettings& settings);
    static std::string GetSetupPath();

    // --- state for the wizard's summary and for tests ---
    int32_t GetState() const { return state.load(); }
    const std::string& GetInstallDirectory() const { return installDirectory; }
    const std::string& GetProgramGroup() const { return programGroup; }
    uint64_t GetTotalBytes() const { return totalBytes; }

    // The files in the install directory that the run replaced, kept aside until it
    // succeeds (null before the worker has started).
    const SetAside* ReplacedFiles() const { return setAside.get(); }
    // Puts back what an interrupted earlier run left set aside in the install directory
    // (the wizard says so once the directory is chosen); the number of files put back, 0
    // when there was nothing, -1 when they could not be.
    int RecoverInterruptedRun();
    // The number of files an interrupted earlier run had set aside in the install directory
    // and that this run put back before it started; -1 when they could not be.
    int RecoveredFiles() const { return recoveredFiles; }

    // How long a rollback waits for the cancelled worker to stop before removing.
    static constexpr DWORD kRollbackWaitMs = 20000;
    // Tests shorten the wait to see a worker that does not stop in time.
    void SetRollbackWait(DWORD ms) { rollbackWaitMs = ms; }
    // How long the application's exit waits for a worker before it leaves the engine to
    // the process's end.
    static constexpr DWORD kExitWaitMs = 30000;

private:
    enum class ItemResult { Written, Failed, Cancelled };

    ItemResult ExtractItem(ZipHandle zip, int32_t index, const ProgressScale& scale);
    ItemResult ExtractFile(ZipHandle zip, int32_t index, uint64_t size, const std::string& name,
                           const std::string& target, const ProgressScale& scale);
    bool CreateShortcut(const std::string& linkPath, const std::string& target, const std::string& icon);
    // True when the code was stored (no cancel came first) and sent.
    bool NotifyFinal(int32_t code);
    LRESULT Send(int32_t code, int32_t chunkBytes, int32_t size, std::string name);
    bool Cancelled() const { return state.load() == NoticeCancel; }
    bool StartRollback(bool failedRun);
    // Decided before the worker starts: where the run writes, and what was there before.
    void PrepareRun();
    std::string FinalInstallDirectory() const;
    bool IsSoundFolderChain(const std::string& target);
    bool CreateTarget(const std::string& target, const std::string& relative, ScopedHandle& file);
    static DWORD HeldBy(const std::string& path);
    bool WriteInstallLog(const std::vector<std::pair<std::string, std::string>>& record);
    void RestoreEarlierRecord() const;
    static void RestoreShortcut(const std::string& path, const std::string& bytes);

    HWND frameWindow = nullptr;
    std::atomic<int32_t> state{0};
    std::string installDirectory;
    std::string programsFolder;
    std::string desktopFolder;
    std::string programGroup;
    std::vector<std::string> programGroups;
    // The true sum of the items' sizes; notices carry it through ProgressScale.
    uint64_t totalBytes = 0;

    bool comInitialized = false;
    bool containerUnpacked = false;
    bool unpackedDiscarded = false;
    HANDLE worker = nullptr;          // the install worker, to wait for
    bool workerStarted = false;
    bool rolledBack = false;
    bool rollbackComplete = true;
    DWORD rollbackWaitMs = kRollbackWaitMs;
    // Fixed by PrepareRun, before the worker starts.
    bool runPrepared = false;
    bool runSound = false;           // the install directory may be written (no refused final path)
    bool directoryExisted = false;
    bool groupExisted = false;
    bool earlierLogLoaded = false;
    InstallLog earlierLog;           // the log of an earlier installation into the same directory
    std::vector<std::pair<std::string, std::string>> earlierRecord;
    int recoveredFiles = 0;
    std::unique_ptr<SetAside> setAside;
    // Worker only: folders below the install directory found to be no links.
    std::unordered_set<std::string> soundFolders;
    // Set by FinishInstall before it replaces the record with this run's.
    std::atomic<bool> recordTouched{false};
    // The entries in the list of installed programs (the machine's, the user's) as they
    // were before the run, put back by its rollback once it wrote its own.
    RegKeySnapshot earlierEntries[2];
    std::atomic<bool> entryTouched{false};
    CreatedEntries created;

    SetupWorkFolder workFolder;
};
