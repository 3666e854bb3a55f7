#pragma once
#include <windows.h>

class CWnd;

// The process's application object. Exactly one exists at a time; its constructor makes
// it the current one (AfxGetApp). AfxWinMain, called from the program's WinMain, runs it:
// InitInstance; when that returns TRUE, the message loop (Run) until WM_QUIT; then
// ExitInstance, whose result becomes the process exit code.
class CWinApp {
public:
    explicit CWinApp(const char* appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return TRUE; }
    // The message loop; returns ExitInstance's result when WM_QUIT arrives.
    virtual int Run();
    virtual int ExitInstance() { return exitCode_; }

    HICON LoadIcon(UINT id) const;

    const char* m_pszAppName;
    HINSTANCE m_hInstance;
    CWnd* m_pMainWnd = nullptr;

private:
    int exitCode_ = 0;   // the wParam of WM_QUIT once Run has seen it
};

CWinApp* AfxGetApp();
// The module whose resources hold the dialog templates, icons and strings.
HINSTANCE AfxGetResourceHandle();
// The framework's start-up; returns the process exit code. -1 when there is no application object.
int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);
