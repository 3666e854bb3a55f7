#include "wizard/pages/FinishPage.h"

#include "resources/resource.h"

BEGIN_MESSAGE_MAP(FinishPage, WizardPage)
    ON_WM_PAINT()
END_MESSAGE_MAP()

bool FinishPage::LaunchRequested() const
{
    return ::SendDlgItemMessageW(m_hWnd, IDC_LAUNCH_CHECK, BM_GETCHECK, 0, 0) != BST_UNCHECKED;
}

std::string FinishPage::ComposeText(const LanguageRecord& texts)
{
    return texts.Text(TextId::FinishDone) + "\r\n" + texts.Text(TextId::FinishLeave);
}

void FinishPage::OnPaint()
{
    LanguageRecord texts = CurrentTexts();
    SetItemText(IDC_FINISH_TEXT, ComposeText(texts));
    SetItemText(IDC_LAUNCH_CHECK, texts.Text(TextId::FinishLaunch));
    ::SendDlgItemMessageW(m_hWnd, IDC_LAUNCH_CHECK, BM_SETCHECK, BST_CHECKED, 0);
    if (CWnd* launchBox = GetDlgItem(IDC_LAUNCH_CHECK))
        launchBox->SetFont(LanguageFont(), TRUE);
    WizardPage::OnPaint();
}
