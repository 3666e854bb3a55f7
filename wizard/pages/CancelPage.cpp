#include "wizard/pages/CancelPage.h"

#include "engine/InstallEngine.h"
#include "resources/resource.h"
#include "wizard/WizardEngine.h"

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
    // A run whose rollback could not undo it must not read like a clean abandon.
    InstallEngine* engine = WizardEngine();
    bool undone = !engine || engine->RollbackComplete();
    SetItemText(IDC_CANCEL_TEXT, CurrentTexts().Text(undone ? TextId::CancelFailed : TextId::CancelIncomplete));
    WizardPage::OnPaint();
}
