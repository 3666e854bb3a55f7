#pragma once
#include "framework/CDataExchange.h"
#include "framework/CWnd.h"

// A dialog from a template in the executable's resources, run modally (DoModal) or
// created modeless (Create).
//
// The dialog window is subclassed when WM_INITDIALOG arrives, so every later message
// goes through the message map first; Default() then reaches the dialog manager.
// IDOK and IDCANCEL commands (Enter and Escape, and WM_CLOSE through the dialog
// manager) go to the virtual OnOK and OnCancel through CDialog's own map rows: a
// derived class overrides them either way, by overriding the virtuals or by mapping
// ON_COMMAND(IDOK / IDCANCEL, ...) itself.
class CDialog : public CWnd {
public:
    CDialog() = default;
    explicit CDialog(UINT templateId, CWnd* parent = nullptr) : templateId_(templateId), parent_(parent) {}
    ~CDialog() override = default;

    // Runs the modal loop; returns the EndDialog result, or -1 when the dialog could not be made.
    virtual INT_PTR DoModal();
    // Creates the dialog modeless (as a child when the template says WS_CHILD).
    BOOL Create(UINT templateId, CWnd* parent = nullptr);
    void EndDialog(int result);
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    UINT GetTemplateId() const { return templateId_; }

protected:
    virtual void DoDataExchange(CDataExchange* pDX) {}

    DECLARE_MESSAGE_MAP()

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    UINT templateId_ = 0;
    CWnd* parent_ = nullptr;
};
