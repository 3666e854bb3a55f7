#include "app/SetupApp.h"

#include <string>

#include "app/ContainerTitle.h"
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

// The guard comes before the engine. The engine unpacks the whole product into the
// user's working folder and its remover writes the record's "Repair", so a refused
// instance must never make one: it would change the record under the running wizard.
// Its warning still names the product, from the lang.ini of its own container, read in
// a private folder (ContainerTitle).
BOOL SetupApp::InitInstance()
{
    engine = nullptr;
    // Never closed: the handle holds the guard for the rest of the process.
    HANDLE guard = ::CreateMutexW(nullptr, FALSE, L"install");
    DWORD created = ::GetLastError();
    if (!guard)
        return FALSE;
    if (created == ERROR_ALREADY_EXISTS) {
        std::string title = ContainerTitle::Read(InstallEngine::GetSetupPath());
        std::string text = "Another instance of " + title + " setup is running";
        CWnd::ShowMessage(nullptr, text, title, MB_OK | MB_ICONWARNING);
        return FALSE;
    }

    engine = new InstallEngine();
    if (!engine->ContainerUnpacked()) {
        ReportDamaged();
        return FALSE;
    }
    WizardFrame frame;
    m_pMainWnd = &frame;
    frame.DoModal();   // finishing and abandoning end the process alike
    m_pMainWnd = nullptr;
    return FALSE;
}

// A damaged download is said at once, in the words of its own lang.ini when that much
// came through, and nothing of it stays: the unpacked folder goes before the box shows.
void SetupApp::ReportDamaged()
{
    damaged = true;
    InstallSettings settings;
    LanguageRecord texts;
    LanguageTable::Instance()->ReadInstallSettings(settings);
    LanguageTable::Instance()->FillCurrentRecord(texts);
    engine->DiscardUnpacked();
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
    int code = CWinApp::ExitInstance();
    return damaged ? DamagedExitCode : code;
}
