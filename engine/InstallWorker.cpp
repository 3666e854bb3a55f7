// The install worker's life: start, notices with the cancel rule, end, rollback.
#include "engine/InstallEngine.h"

#include "engine/ItemPath.h"
#include "engine/NoticeDelivery.h"
#include "engine/SentMessageWait.h"
#include "framework/CWinThread.h"
#include "i18n/LanguageTable.h"
#include "remover/InstallRecordKey.h"
#include "remover/RemovalGuard.h"
#include "remover/Remover.h"

// A thread that cannot be created leaves the wizard on a progress page that would never
// move, and it has no other way to learn of the failure: NoticeFailed ends it on the
// cancel page as after any failed installation (its rollback finds nothing of this run).
bool InstallEngine::StartWorker()
{
    if (workerStarted)
        return false;
    keepInstallDirectory = KeepsInstallDirectory();
    keepProgramGroup = KeepsProgramGroup();
    // Started suspended: the handle must be duplicated before the thread can end, since
    // its self-deleting thread object closes the original.
    CWinThread* thread = ::AfxBeginThread(&InstallEngine::WorkerMain, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    HANDLE process = ::GetCurrentProcess();
    if (thread && !::DuplicateHandle(process, thread->m_hThread, process, &worker, SYNCHRONIZE, FALSE, 0)) {
        // Never run and not waitable: a worker nobody can wait for must not start at all.
        worker = nullptr;
        ::TerminateThread(thread->m_hThread, 0);
        delete thread;
        thread = nullptr;
    }
    if (!thread) {
        NotifyFinal(NoticeFailed);
        return false;
    }
    workerStarted = true;
    thread->ResumeThread();
    return true;
}

UINT InstallEngine::WorkerMain(LPVOID param)
{
    InstallEngine* engine = static_cast<InstallEngine*>(param);
    if (!engine->ExtractPayload()) {
        engine->NotifyFinal(NoticeFailed);
        return 0;
    }
    engine->FinishInstall();
    engine->NotifyFinal(NoticeDone);
    return 0;
}

LRESULT InstallEngine::Notify(int32_t code, int32_t chunkBytes, int32_t size, std::string name)
{
    // The test for a cancel and the store of the new code are one compare-and-swap, so a
    // cancel stored by the other thread in between makes the store fail and is seen.
    int32_t current = state.load();
    do {
        if (current == NoticeCancel && code != NoticeTotal && code != NoticeDone)
            return 0;
    } while (!state.compare_exchange_weak(current, current == NoticeCancel ? current : code));
    return Send(code, chunkBytes, size, std::move(name));
}

// The worker's last notice: done or failed, stored and sent only when no cancel came
// first, decided in the same single step as every other store of `state`.
LRESULT InstallEngine::NotifyFinal(int32_t code)
{
    int32_t current = state.load();
    do {
        if (current == NoticeCancel)
            return 0;
    } while (!state.compare_exchange_weak(current, code));
    return Send(code, 0, 0, std::string());
}

LRESULT InstallEngine::Send(int32_t code, int32_t chunkBytes, int32_t size, std::string name)
{
    if (!frameWindow || !NoticeDelivery::Delivers(code))
        return 0;
    ProgressNotice notice;
    notice.code = code;
    notice.name = std::move(name);
    notice.chunkBytes = chunkBytes;
    notice.size = size;
    return ::SendMessageA(frameWindow, WM_INSTALL_PROGRESS, 0, reinterpret_cast<LPARAM>(&notice));
}

bool InstallEngine::RequestCancel()
{
    Notify(NoticeCancel, 0, 0, std::string());
    return true;
}

bool InstallEngine::WaitForWorker(DWORD timeoutMs)
{
    return !worker || SentMessageWait::Wait(worker, timeoutMs);
}

namespace {

// Only "file not found" and "path not found" say that nothing is there. Any other failure
// to look (access denied, an offline share, a path too long for the call) may hide a
// folder full of the user's files, and such a folder is kept.
bool IsAbsent(const std::string& path)
{
    if (::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        return false;
    DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

} // namespace

bool InstallEngine::KeepsInstallDirectory() const
{
    if (installDirectory.empty() || IsAbsent(installDirectory))
        return false;
    return !ItemPath::SameDirectory(installDirectory, ReadRecordValue(InstallRecordKey::InstallPath));
}

bool InstallEngine::KeepsProgramGroup() const
{
    std::string group = programsFolder + programGroup;
    if (programGroup.empty() || IsAbsent(group))
        return false;
    DWORD attributes = ::GetFileAttributesA(group.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    std::string recorded = ReadRecordValue(InstallRecordKey::ProgramGroup);
    return recorded.empty() || !ItemPath::SameDirectory(group, programsFolder + recorded);
}

bool InstallEngine::Rollback()
{
    return StartRollback(false);
}

bool InstallEngine::RollbackFailedRun()
{
    return StartRollback(true);
}

// The removal starts only once the cancelled worker has stopped (it does so at its next
// chunk, or after the shortcut or record step it is in), so that no file is written
// behind the remover's back and every entry the run created is on the list. Sent
// messages are handled meanwhile, because the worker may be waiting in a notice to the
// frame. The bound keeps a worker stuck on a dead device from freezing the wizard.
//
// Nobody asked to remove anything when a run failed (a locked file, a full disk, a
// damaged download), so that rollback takes only what the run created: a reinstallation
// into the recorded directory that fails keeps the previous installation, the user's
// files in it, its group, its desktop shortcut and its record.
bool InstallEngine::StartRollback(bool failedRun)
{
    // One rollback per run: a failure notice handled inside the wait below must not start
    // a second one, which would hand entries to a remover that is already removing.
    if (rolledBack)
        return false;
    rolledBack = true;
    WaitForWorker(kRollbackWaitMs);
    // A run that got as far as its record has replaced the previous installation's with
    // its own; that must not be taken for an earlier installation to remove as a whole.
    if (recordTouched.load())
        InstallRecordKey::Delete();
    Remover* remover = Remover::Instance();
    if (failedRun) {
        remover->KeepRecordedInstallation();
    } else {
        bool keep = workerStarted ? keepInstallDirectory : KeepsInstallDirectory();
        if (!installDirectory.empty() && !keep)
            remover->AddDirectory(installDirectory);
        bool keepGroup = workerStarted ? keepProgramGroup : KeepsProgramGroup();
        if (!programGroup.empty() && !keepGroup)
            remover->AddDirectory(programsFolder + programGroup);
        // Without a desktop folder the name alone would be taken relative to the current
        // directory.
        InstallSettings settings;
        LanguageTable::Instance()->ReadInstallSettings(settings);
        if (!desktopFolder.empty() && (settings.installname.empty() || RemovalGuard::IsNameBelow(settings.installname)))
            remover->AddFile(desktopFolder + settings.installname + ".lnk");
    }
    // Also covers the parents of a new install directory that this run had to create, and
    // the shortcuts it made in a program group that is kept.
    remover->AddCreatedEntries(created.Snapshot());
    remover->Start();
    return true;
}
