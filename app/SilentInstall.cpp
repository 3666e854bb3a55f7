#include "app/SilentInstall.h"

#include "app/SetupExitCode.h"
#include "engine/InstallEngine.h"
#include "engine/ProgressNotice.h"
#include "framework/EventLog.h"
#include "framework/MessageWindow.h"
#include "i18n/LanguageTable.h"

int SilentInstall::Run(InstallEngine& engine)
{
    EventLog& log = EventLog::Instance();
    if (engine.GetProgramGroup().empty()) {
        InstallSettings settings;
        LanguageTable::Instance()->ReadInstallSettings(settings);
        engine.SetProgramGroup(settings.group);
    }
    if (engine.InstallDirectoryRefused()) {
        log.Write("refused: the directory cannot hold an installation: " + engine.GetInstallDirectory());
        return ExitRefused;
    }

    // The worker reports to a window; with no wizard, a message-only one takes its
    // notices, and the last one tells how the run ended.
    int32_t last = 0;
    MessageWindow notices;
    if (!notices.Create([&last](UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
            if (message != WM_INSTALL_PROGRESS)
                return false;
            const auto* notice = reinterpret_cast<const ProgressNotice*>(lParam);
            if (notice && (notice->code == NoticeDone || notice->code == NoticeFailed))
                last = notice->code;
            result = 0;
            return true;
        })) {
        log.Failure("notice window", ::GetLastError());
        return ExitRefused;
    }
    engine.SetFrameWindow(notices.Handle());
    engine.StartWorker();
    engine.WaitForWorker(INFINITE);
    engine.SetFrameWindow(nullptr);
    if (last == NoticeDone) {
        log.Write("installed");
        return ExitInstalled;
    }
    log.Write("the installation failed; rolling back what it did");
    bool complete = engine.RollbackFailedRun() && engine.RollbackComplete();
    log.Write(complete ? "rollback complete" : "rollback incomplete: files may remain in the install folder");
    return ExitFailed;
}
