#include "framework/CWinApp.h"

#include "framework/WideText.h"

#include "framework/CWnd.h"

namespace {

CWinApp* currentApp = nullptr;

} // namespace

CWinApp::CWinApp(const char* appName) : m_pszAppName(appName), m_hInstance(::GetModuleHandleW(nullptr))
{
    currentApp = this;
}

CWinApp::~CWinApp()
{
    if (currentApp == this)
        currentApp = nullptr;
}

int CWinApp::Run()
{
    MSG msg;
    for (;;) {
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            exitCode_ = static_cast<int>(msg.wParam);
            break;
        }
        if (got == -1)
            break;
        HWND main = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
        if (main && ::IsDialogMessageW(main, &msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return ExitInstance();
}

HICON CWinApp::LoadIcon(UINT id) const
{
    return ::LoadIconW(m_hInstance, MAKEINTRESOURCEW(id));
}

CWinApp* AfxGetApp()
{
    return currentApp;
}

HINSTANCE AfxGetResourceHandle()
{
    return currentApp ? currentApp->m_hInstance : ::GetModuleHandleW(nullptr);
}

int AfxWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int)
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return -1;
    if (instance)
        app->m_hInstance = instance;
    app->m_commandLine = WideText::ToUtf8(commandLine);
    if (!app->InitInstance()) {
        // No loop: a main window left behind by the initialisation goes with it.
        if (app->m_pMainWnd && app->m_pMainWnd->m_hWnd)
            app->m_pMainWnd->DestroyWindow();
        return app->ExitInstance();
    }
    return app->Run();
}
