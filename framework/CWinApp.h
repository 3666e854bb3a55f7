#pragma once
#include <windows.h>

#include <string>

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
    // The arguments after the program's own name, in UTF-8 (set by AfxWinMain from the
    // UTF-16 command line).
    std::string m_commandLine;
    HINSTANCE m_hInstance;
    CWnd* m_pMainWnd = nullptr;

private:
    int exitCode_ = 0;   // the wParam of WM_QUIT once Run has seen it
};

CWinApp* AfxGetApp();
// The module whose resources hold the dialog templates, icons and strings.
HINSTANCE AfxGetResourceHandle();
// The framework's start-up; returns the process exit code. -1 when there is no application object.
// Programs enter through wWinMain (linked with -municode), so the command line arrives in
// UTF-16 and no character of it is lost to the code page.
int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int showCommand);
