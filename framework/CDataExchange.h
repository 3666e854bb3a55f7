#pragma once
#include <windows.h>

class CWnd;

// The context of one data exchange between a dialog and its member controls.
class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}
    virtual ~CDataExchange() = default;

    BOOL m_bSaveAndValidate;   // TRUE: controls to members; FALSE: members to controls
    CWnd* m_pDlgWnd;
};

// Attaches member `control` to the dialog's control `id` by subclassing it, the first
// time only; later exchanges leave the attachment as it is. A missing control leaves the
// member unattached.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
