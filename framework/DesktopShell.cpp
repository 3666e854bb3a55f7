#include "framework/DesktopShell.h"

#include <windows.h>
#include <exdisp.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include "framework/ComPtr.h"
#include "framework/ScopedCoInit.h"
#include "framework/WideText.h"

namespace {

// The shell's automation object as the desktop's background offers it, and the process
// that owns the desktop window.
ComPtr<IShellDispatch2> DesktopDispatch(DWORD& shellProcess)
{
    ComPtr<IShellWindows> windows;
    if (FAILED(windows.CreateInstance(CLSID_ShellWindows, IID_IShellWindows, CLSCTX_LOCAL_SERVER)))
        return {};
    VARIANT desktop;
    ::VariantInit(&desktop);
    desktop.vt = VT_I4;
    desktop.lVal = CSIDL_DESKTOP;
    VARIANT none;
    ::VariantInit(&none);
    long window = 0;
    ComPtr<IDispatch> found;
    ComPtr<IServiceProvider> services;
    ComPtr<IShellBrowser> browser;
    ComPtr<IShellView> view;
    ComPtr<IDispatch> background;
    ComPtr<IShellFolderViewDual> folderView;
    ComPtr<IDispatch> application;
    ComPtr<IShellDispatch2> shell;
    // FindWindowSW answers S_FALSE, without a window, where the desktop has no shell view.
    if (windows->FindWindowSW(&desktop, &none, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, found.put()) != S_OK ||
        !found || FAILED(found.As(services, IID_IServiceProvider)) ||
        FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser,
                                      reinterpret_cast<void**>(browser.put()))) ||
        FAILED(browser->QueryActiveShellView(view.put())) || !view ||
        FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, reinterpret_cast<void**>(background.put()))) ||
        FAILED(background.As(folderView, IID_IShellFolderViewDual)) ||
        FAILED(folderView->get_Application(application.put())) || !application ||
        FAILED(application.As(shell, IID_IShellDispatch2)))
        return {};
    ::GetWindowThreadProcessId(reinterpret_cast<HWND>(static_cast<LONG_PTR>(window)), &shellProcess);
    return shell;
}

} // namespace

// COM may already be initialised on this thread in either model; the proxies work in both,
// so a changed mode is no reason to give up.
bool DesktopShell::Open(const std::string& file, const std::string& directory)
{
    std::wstring wideFile = WideText::FromUtf8(file);
    if (wideFile.empty())
        return false;
    ScopedCoInit com;
    DWORD shellProcess = 0;
    ComPtr<IShellDispatch2> shell = DesktopDispatch(shellProcess);
    if (!shell)
        return false;
    // The caller is the foreground process now; the shell may pass that on to what it
    // starts only with its leave, or the new window would open behind the caller's.
    if (shellProcess)
        ::AllowSetForegroundWindow(shellProcess);
    VARIANT none, folder, verb, show;
    ::VariantInit(&none);
    ::VariantInit(&folder);
    ::VariantInit(&verb);
    ::VariantInit(&show);
    folder.vt = VT_BSTR;
    folder.bstrVal = ::SysAllocString(WideText::FromUtf8(directory).c_str());
    verb.vt = VT_BSTR;
    verb.bstrVal = ::SysAllocString(L"open");
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    BSTR path = ::SysAllocString(wideFile.c_str());
    HRESULT result = path && folder.bstrVal && verb.bstrVal ? shell->ShellExecute(path, none, folder, verb, show)
                                                            : E_OUTOFMEMORY;
    ::SysFreeString(path);
    ::VariantClear(&folder);
    ::VariantClear(&verb);
    return SUCCEEDED(result);
}
