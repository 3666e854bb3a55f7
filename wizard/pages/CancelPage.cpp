#include "wizard/pages/CancelPage.h"

#include "resources/resource.h"

BEGIN_MESSAGE_MAP(CancelPage, WizardPage)
    ON_WM_PAINT()
END_MESSAGE_MAP()

BOOL CancelPage::OnInitDialog()
{
    WizardPage::OnInitDialog();
    return TRUE;
}

void CancelPage::OnPaint()
{
    SetItemText(IDC_CANCEL_TEXT, CurrentTexts().Text(TextId::CancelFailed));
    WizardPage::OnPaint();
}
