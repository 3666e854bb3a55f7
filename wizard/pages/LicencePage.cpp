#include "wizard/pages/LicencePage.h"

#include "i18n/LanguageTable.h"
#include "resources/resource.h"
#include "wizard/WizardFrame.h"

BEGIN_MESSAGE_MAP(LicencePage, WizardPage)
    ON_WM_PAINT()
    ON_BN_CLICKED(IDC_LICENCE_ACCEPT, &LicencePage::OnAcceptClicked)
END_MESSAGE_MAP()

std::string LicencePage::ComposeAgreement(const std::string& states)
{
    return std::string(44, ' ') + states;
}

void LicencePage::DoDataExchange(CDataExchange* pDX)
{
    WizardPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_LICENCE_ACCEPT, acceptBox);
}

BOOL LicencePage::OnInitDialog()
{
    WizardPage::OnInitDialog();
    return TRUE;
}

bool LicencePage::UsesFixedFont(int controlId) const
{
    return controlId == IDC_LICENCE_TEXT;
}

void LicencePage::OnPaint()
{
    InstallSettings settings;
    LanguageTable::Instance()->ReadInstallSettings(settings);
    // Always set, even when unchanged: it restores text the user typed over and scrolls
    // the agreement back to its first line.
    SetDlgItemText(IDC_LICENCE_TEXT, ComposeAgreement(settings.states));

    LanguageRecord texts = CurrentTexts();
    SetItemText(IDC_LICENCE_LABEL, texts.Text(TextId::LicencePrompt));
    SetItemText(IDC_LICENCE_ACCEPT, texts.Text(TextId::LicenceAccept));
    acceptBox.SetCheck(BST_UNCHECKED);
    acceptBox.SetFont(LanguageFont(), TRUE);
    WizardPage::OnPaint();
}

void LicencePage::OnAcceptClicked()
{
    bool ticked = acceptBox.GetCheck() != BST_UNCHECKED;
    if (WizardFrame* frame = Frame())
        frame->EnableNavButton(IDC_NEXT, !ticked);
}
