#include "app/SetupApp.h"

#include <string>

#include "app/ContainerTitle.h"
#include "app/SilentInstall.h"
#include "framework/EventLog.h"
#include "engine/InstallEngine.h"
#include "framework/CWnd.h"
#include "i18n/LanguageTable.h"
#include "wizard/WizardEngine.h"
#include "wizard/WizardFrame.h"

SetupApp::SetupApp() : CWinApp(nullptr) {}

InstallEngine* WizardEngine()
{
    SetupApp* app = static_cast<SetupApp*>(AfxGetApp());
    return app ? app->engine : nullptr;
}

int WizardRequestedLanguage()
{
    SetupApp* app = static_cast<SetupApp*>(AfxGetApp());
    return app ? app->options.language : 0;
}

void SetupApp::ShowUnlessSilent(const std::string& text, UINT type) const
{
    if (!options.silent)
        CWnd::ShowMessage(nullptr, text, "Orvanta setup", type);
}

// Everything here comes before anything is written: a recipe with a typing error, or a
// log that cannot be written, must not half install.
bool SetupApp::AcceptCommandLine()
{
    std::string error;
    bool parsed = SetupCommandLine::Parse(m_commandLine, options, error);
    if (!parsed || options.usage) {
        ShowUnlessSilent((parsed ? std::string() : error + "\r\n\r\n") + SetupCommandLine::Usage(),
                         parsed ? MB_OK | MB_ICONINFORMATION : MB_OK | MB_ICONERROR);
        exitCode = ExitRefused;
        return false;
    }
    if (!options.logFile.empty() && !EventLog::Instance().Open(options.logFile)) {
        ShowUnlessSilent("The log file cannot be opened: " + options.logFile, MB_OK | MB_ICONERROR);
        exitCode = ExitRefused;
        return false;
    }
    EventLog& log = EventLog::Instance();
    log.Write("setup: " + InstallEngine::GetSetupPath() + " (Orvanta setup 4.00)");
    log.Write("command line: " + m_commandLine);
    return true;
}

bool SetupApp::AcceptLanguage()
{
    LanguageTable* table = LanguageTable::Instance();
    int count = table->GetLanguageCount();
    if (options.language > count) {
        EventLog::Instance().Write("refused: /LANG=" + std::to_string(options.language) + ", but lang.ini has " +
                                   std::to_string(count) + " languages");
        ShowUnlessSilent("/LANG=" + std::to_string(options.language) + ": this setup has " + std::to_string(count) +
                             " languages.\r\n\r\n" + SetupCommandLine::Usage(),
                         MB_OK | MB_ICONERROR);
        exitCode = ExitRefused;
        return false;
    }
    return true;
}

// The guard comes before the engine. The engine unpacks the whole product into the
// user's working folder and its remover writes the record's "Repair", so a refused
// instance must never make one: it would change the record under the running wizard.
// Its warning still names the product, from the lang.ini of its own container, read in
// a private folder (ContainerTitle).
BOOL SetupApp::InitInstance()
{
    engine = nullptr;
    if (!AcceptCommandLine())
        return FALSE;
    // Never closed: the handle holds the guard for the rest of the process.
    HANDLE guard = ::CreateMutexW(nullptr, FALSE, L"install");
    DWORD created = ::GetLastError();
    if (!guard || created == ERROR_ALREADY_EXISTS) {
        EventLog::Instance().Write("refused: another setup is running");
        exitCode = ExitRefused;
        if (guard && !options.silent) {
            std::string title = ContainerTitle::Read(InstallEngine::GetSetupPath());
            CWnd::ShowMessage(nullptr, "Another instance of " + title + " setup is running", title,
                              MB_OK | MB_ICONWARNING);
        }
        return FALSE;
    }

    engine = new InstallEngine();
    if (!engine->ContainerUnpacked()) {
        ReportDamaged();
        return FALSE;
    }
    if (!AcceptLanguage())
        return FALSE;
    if (!options.directory.empty())
        engine->SetInstallDirectory(options.directory);
    if (!options.group.empty())
        engine->SetProgramGroup(options.group);
    if (options.silent) {
        LanguageTable* table = LanguageTable::Instance();
        table->SetCurrentLanguage(options.language > 0 ? options.language : table->GetDefaultLanguage());
        exitCode = SilentInstall::Run(*engine);
    } else {
        RunWizard();
    }
    return FALSE;
}

void SetupApp::RunWizard()
{
    WizardFrame frame;
    m_pMainWnd = &frame;
    frame.DoModal();   // finishing and abandoning end the process alike
    m_pMainWnd = nullptr;
    switch (frame.GetOutcome()) {
    case WizardFrame::Outcome::Installed:
        exitCode = ExitInstalled;
        break;
    case WizardFrame::Outcome::Failed:
        exitCode = ExitFailed;
        break;
    case WizardFrame::Outcome::Abandoned:
        exitCode = ExitAbandoned;
        break;
    }
}

// A damaged download is said at once, in the words of its own lang.ini when that much
// came through, and nothing of it stays: the unpacked folder goes before the box shows.
void SetupApp::ReportDamaged()
{
    damaged = true;
    EventLog::Instance().Write("the setup is damaged: its container did not come through whole");
    InstallSettings settings;
    LanguageRecord texts;
    LanguageTable::Instance()->ReadInstallSettings(settings);
    LanguageTable::Instance()->FillCurrentRecord(texts);
    engine->DiscardUnpacked();
    if (!options.silent)
        CWnd::ShowMessage(nullptr, texts.Text(TextId::SetupDamaged), settings.title, MB_OK | MB_ICONERROR);
}

int SetupApp::ExitInstance()
{
    // The engine first: its destruction still asks the language table for the working
    // folder. The wait for a worker is bounded, so a worker stuck on a dead device cannot
    // keep the process, and with it the single-instance guard, alive for ever; such a
    // worker keeps the engine and the language table it reads, and the process's end
    // takes them.
    if (!engine || engine->WaitForWorker(exitWaitMs)) {
        delete engine;
        LanguageTable::Release();
    }
    engine = nullptr;
    int code = damaged ? DamagedExitCode : exitCode;
    EventLog::Instance().Write("exit code: " + std::to_string(code));
    EventLog::Instance().Close();
    return code;
}
