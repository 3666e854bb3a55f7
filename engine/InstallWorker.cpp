// The install worker's life: start, notices with the cancel rule, end, rollback.
#include "engine/InstallEngine.h"

#include "engine/ItemPath.h"
#include "engine/NoticeDelivery.h"
#include "engine/SentMessageWait.h"
#include "framework/CWinThread.h"
#include "framework/EventLog.h"
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
    PrepareRun();
    EventLog& log = EventLog::Instance();
    log.Write("language: " + std::to_string(LanguageTable::Instance()->GetCurrentLanguage()));
    log.Write("directory: " + installDirectory);
    log.Write("group: " + programGroup);
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
    if (!engine->ExtractPayload() || (!engine->FinishInstall() && !engine->Cancelled())) {
        engine->NotifyFinal(NoticeFailed);
        return 0;
    }
    // The replaced files are dropped only once the run has ended as installed: a cancel
    // that came during the last steps still finds them for its rollback.
    if (engine->NotifyFinal(NoticeDone) && engine->setAside)
        engine->setAside->Discard();
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
bool InstallEngine::NotifyFinal(int32_t code)
{
    int32_t current = state.load();
    do {
        if (current == NoticeCancel)
            return false;
    } while (!state.compare_exchange_weak(current, code));
    Send(code, 0, 0, std::string());
    return true;
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
    return ::SendMessageW(frameWindow, WM_INSTALL_PROGRESS, 0, reinterpret_cast<LPARAM>(&notice));
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

bool InstallEngine::Rollback()
{
    return StartRollback(false);
}

bool InstallEngine::RollbackFailedRun()
{
    return StartRollback(true);
}

// The removal starts only once the worker has ended, so that no file is written behind
// the remover's back and every entry the run created is on the list. Sent messages are
// handled meanwhile, because the worker may be waiting in a notice to the frame. The bound
// keeps a worker stuck on a dead device from freezing the wizard; such a run is left as it
// is (its set-aside folder tells the next run what to put back), and the cancel page says
// that it could not be undone.
//
// Nobody asked to remove anything when a run failed (a locked file, a full disk, a
// damaged download), so that rollback keeps the recorded installation and its record:
// a reinstallation that fails leaves the previous installation as it was, byte for byte.
// The user's abandon also removes the recorded installation, exactly as its log lists it.
bool InstallEngine::StartRollback(bool failedRun)
{
    // One rollback per run: a failure notice handled inside the wait below must not start
    // a second one, which would hand entries to a remover that is already removing.
    if (rolledBack)
        return false;
    rolledBack = true;
    if (!WaitForWorker(rollbackWaitMs)) {
        rollbackComplete = false;
        return true;
    }
    if (setAside && !setAside->Restore())
        rollbackComplete = false;
    for (const CreatedEntries::Shortcut& shortcut : created.Shortcuts()) {
        if (shortcut.replaced)
            RestoreShortcut(shortcut.path, shortcut.earlierBytes);
    }
    // A run that got as far as its record has replaced the earlier one, which is put
    // back first: it names the installation an abandon removes, and the one a failed
    // run keeps.
    if (recordTouched.load())
        RestoreEarlierRecord();
    if (entryTouched.load()) {
        for (const RegKeySnapshot& entry : earlierEntries)
            entry.Restore();
    }
    EventLog::Instance().Write(failedRun ? "rollback of the failed run" : "rollback of the abandoned run");
    Remover* remover = Remover::Instance();
    if (!failedRun)
        remover->QueueRecordedInstallation();
    remover->AddCreatedEntries(created.Snapshot());
    remover->Start();
    return true;
}
