#include "wizard/pages/WelcomePage.h"

#include "resources/resource.h"

BEGIN_MESSAGE_MAP(WelcomePage, WizardPage)
    ON_WM_PAINT()
END_MESSAGE_MAP()

std::string WelcomePage::ComposeText(const LanguageRecord& texts)
{
    return texts.Text(TextId::WelcomeIntro) + "\r\n\r\n" + texts.Text(TextId::WelcomeAdvice) + "\r\n\r\n\r\n" +
           texts.Text(TextId::WelcomeWarning) + "\r\n\r\n" + texts.Text(TextId::WelcomePenalties);
}

void WelcomePage::OnPaint()
{
    SetItemText(IDC_WELCOME_TEXT, ComposeText(CurrentTexts()));
    WizardPage::OnPaint();
}
