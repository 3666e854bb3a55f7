#include "wizard/pages/ConfirmPage.h"

#include "resources/resource.h"

BEGIN_MESSAGE_MAP(ConfirmPage, WizardPage)
    ON_WM_PAINT()
END_MESSAGE_MAP()

std::string ConfirmPage::ComposeText(const LanguageRecord& texts)
{
    return texts.Text(TextId::ConfirmReady) + "\r\n\r\n" + texts.Text(TextId::ConfirmAdvice);
}

void ConfirmPage::OnPaint()
{
    SetItemText(IDC_CONFIRM_TEXT, ComposeText(CurrentTexts()));
    WizardPage::OnPaint();
}
