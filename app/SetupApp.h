#pragma once
#include "app/SetupCommandLine.h"
#include "app/SetupExitCode.h"
#include "framework/CWinApp.h"
#include "engine/InstallEngine.h"

// The process's application object: the single-instance guard, the engine's lifetime, the
// check that the setup's own container came through whole, and the one modal run of the
// wizard. The process has no message loop of its own:
// InitInstance always returns FALSE, so the framework goes straight on to ExitInstance.
//
// The wizard reaches the engine through WizardEngine(), defined here. Tests construct
// their own SetupApp, set `engine` themselves and never call InitInstance.
class SetupApp : public CWinApp {
public:
    SetupApp();
    BOOL InitInstance() override;
    int ExitInstance() override;

    InstallEngine* engine = nullptr;   // owned; null before InitInstance and after ExitInstance
    // How long ExitInstance waits for a running install worker.
    DWORD exitWaitMs = InstallEngine::kExitWaitMs;

    // Exit code of a setup that found its own container damaged or missing.
    static constexpr int DamagedExitCode = ExitDamaged;

    // What the command line asked for; read by InitInstance.
    SetupOptions options;

private:
    // False, with the exit code set, when the run must not go on: the command line, its
    // log or its language cannot be used, or another setup runs.
    bool AcceptCommandLine();
    bool AcceptLanguage();
    void ShowUnlessSilent(const std::string& text, UINT type) const;
    void ReportDamaged();
    void RunWizard();

    bool damaged = false;
    int exitCode = ExitInstalled;
};
