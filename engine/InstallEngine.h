#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/CreatedEntries.h"
#include "engine/ProgressNotice.h"
#include "engine/zip/ZipReader.h"

class ProgressScale;

// The one engine of the setup: it knows where the product goes and installs it.
//
// The constructor prepares what the wizard needs (proposed install directory, shell
// folders, existing program groups, the unpacked install folder in the working folder
// and the language table pointed at its lang.ini); the destructor removes what it
// unpacked there again. The wizard hands over the user's choices and starts the worker,
// which unpacks the payload, makes the shortcuts, writes the install record and reports
// every step to the frame window with WM_INSTALL_PROGRESS (ProgressNotice.h).
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
    // Starts the install worker, once. False when it ran before or the thread cannot be
    // created; in the second case NoticeFailed has been sent to the frame window.
    bool StartWorker();
    bool RequestCancel();
    // The user's abandon: removes the run's install directory and group (or, where the
    // user had them before, only what the run created there), the desktop shortcut, and
    // the recorded installation with its record. One rollback per run: a second call,
    // of either kind, returns false and does nothing.
    bool Rollback();
    // A failed run: removes only what the run created; the recorded installation and the
    // record stay as they were.
    bool RollbackFailedRun();
    std::string ReadRecordValue(const std::string& name) const;
    void LaunchProgram() const;

    // True when the construction found the container and unpacked all of it.
    bool ContainerUnpacked() const { return containerUnpacked; }
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
    // (a cancel between items included); false when the payload is missing or no
    // archive, an item failed, or a cancel interrupted a file.
    bool ExtractPayload();
    // False, doing nothing, after a cancel; otherwise group, shortcuts and record.
    bool FinishInstall();
    void NotifyShellFolder(LONG event, const std::string& path);
    bool CreateGroupShortcut(std::string target, std::string linkName, std::string icon);
    bool CreateDesktopShortcut(std::string target, std::string linkName, std::string icon);
    void WriteRecordValue(const std::string& name, const std::string& text);
    static std::string GetSetupPath();

    // --- state for the wizard's summary and for tests ---
    int32_t GetState() const { return state.load(); }
    const std::string& GetInstallDirectory() const { return installDirectory; }
    const std::string& GetProgramGroup() const { return programGroup; }
    uint64_t GetTotalBytes() const { return totalBytes; }

    // How long a rollback waits for the cancelled worker to stop before removing.
    static constexpr DWORD kRollbackWaitMs = 20000;
    // How long the application's exit waits for a worker before it leaves the engine to
    // the process's end.
    static constexpr DWORD kExitWaitMs = 30000;

private:
    enum class ItemResult { Written, Failed, Cancelled };

    ItemResult ExtractItem(ZipHandle zip, int32_t index, const ProgressScale& scale);
    ItemResult ExtractFile(ZipHandle zip, int32_t index, uint64_t size, const std::string& name,
                           const std::string& target, const ProgressScale& scale);
    bool CreateShortcut(const std::string& linkPath, const std::string& target, const std::string& icon);
    LRESULT NotifyFinal(int32_t code);
    LRESULT Send(int32_t code, int32_t chunkBytes, int32_t size, std::string name);
    bool Cancelled() const { return state.load() == NoticeCancel; }
    bool StartRollback(bool failedRun);
    bool KeepsInstallDirectory() const;
    bool KeepsProgramGroup() const;

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
    // Decided before the worker starts: the install directory existed already and is not
    // the recorded installation's, so it may hold the user's own files and a rollback
    // removes only what this run created there.
    bool keepInstallDirectory = false;
    // The same for the program group: a group the user picked from the existing ones
    // (another product's, or a system folder) keeps everything but this run's shortcuts.
    bool keepProgramGroup = false;
    // Set by FinishInstall before it replaces the record with this run's.
    std::atomic<bool> recordTouched{false};
    CreatedEntries created;

    // The exit's clean-up of the working folder: exactly what the construction unpacked
    // there (files, and the folders it created for them, each before its content), so that
    // whatever else the install folder holds stays, and with it the folder.
    void RemoveUnpacked() const;
    std::vector<std::string> unpacked;
};
