#include "framework/CDialog.h"

#include <commctrl.h>

#include "framework/CWinApp.h"
#include "framework/DllSearchGuard.h"

namespace {

using InitCommonControlsExFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);

// Templates use the progress bar class; registering the common controls before the
// first dialog keeps every caller from having to remember it. comctl32 is no known DLL,
// so it is loaded from the system folder by its full path rather than imported.
void RegisterCommonControls()
{
    static const bool done = [] {
        HMODULE comctl = static_cast<HMODULE>(DllSearchGuard::LoadSystemLibrary(L"comctl32.dll"));
        auto init = comctl ? reinterpret_cast<InitCommonControlsExFn>(reinterpret_cast<void*>(
                                 ::GetProcAddress(comctl, "InitCommonControlsEx")))
                           : nullptr;
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
        return init && init(&controls) != FALSE;
    }();
    (void)done;
}

} // namespace

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, &CDialog::OnOK)
    ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

INT_PTR CDialog::DoModal()
{
    RegisterCommonControls();
    HWND owner = parent_ ? parent_->m_hWnd : nullptr;
    return ::DialogBoxParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(templateId_), owner, &CDialog::DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::Create(UINT templateId, CWnd* parent)
{
    if (m_hWnd)
        return FALSE;
    RegisterCommonControls();
    templateId_ = templateId;
    parent_ = parent;
    HWND hwnd = ::CreateDialogParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(templateId), parent ? parent->m_hWnd : nullptr,
                                     &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    return hwnd != nullptr;
}

void CDialog::EndDialog(int result)
{
    ::EndDialog(m_hWnd, result);
}

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    CDataExchange exchange(this, saveAndValidate);
    DoDataExchange(&exchange);
    return TRUE;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (UpdateData(TRUE))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Once subclassed, the dialog's messages reach the map before the dialog manager;
    // they arrive here only as the manager's default processing, which stays default.
    if (message != WM_INITDIALOG)
        return FALSE;
    CDialog* dialog = reinterpret_cast<CDialog*>(lParam);
    if (!dialog || !dialog->SubclassWindow(hwnd))
        return TRUE;
    return dialog->OnInitDialog();
}
