#include "wizard/pages/WizardPage.h"

#include "framework/CWinApp.h"
#include "i18n/LanguageTable.h"
#include "wizard/WizardEngine.h"
#include "wizard/WizardFrame.h"

BEGIN_MESSAGE_MAP(WizardPage, CDialog)
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

void WizardPage::PostNcDestroy()
{
    delete this;
}

void WizardPage::OnOK()
{
    ::SendMessageW(::GetParent(m_hWnd), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

void WizardPage::OnCancel()
{
    ::SendMessageW(::GetParent(m_hWnd), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

bool WizardPage::UsesFixedFont(int) const
{
    return false;
}

HBRUSH WizardPage::OnCtlColor(CDC* dc, CWnd* control, UINT ctlColorKind)
{
    HBRUSH brush = CDialog::OnCtlColor(dc, control, ctlColorKind);
    LanguageTable* table = LanguageTable::Instance();
    bool fixed = control && UsesFixedFont(control->GetDlgCtrlID());
    dc->SelectObject(fixed ? table->GetFixedFont() : table->GetLanguageFont());
    return brush;
}

LanguageRecord WizardPage::CurrentTexts()
{
    LanguageRecord record;
    LanguageTable::Instance()->FillCurrentRecord(record);
    return record;
}

CFont* WizardPage::LanguageFont()
{
    return LanguageTable::Instance()->GetLanguageFont();
}

WizardFrame* WizardPage::Frame()
{
    CWinApp* app = AfxGetApp();
    return app ? static_cast<WizardFrame*>(app->m_pMainWnd) : nullptr;
}

InstallEngine* WizardPage::Engine()
{
    return WizardEngine();
}

void WizardPage::SetItemText(int id, const std::string& text)
{
    if (GetDlgItemText(id) != text)
        SetDlgItemText(id, text);
}
