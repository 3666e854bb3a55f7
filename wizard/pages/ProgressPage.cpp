#include "wizard/pages/ProgressPage.h"

#include "resources/resource.h"

BEGIN_MESSAGE_MAP(ProgressPage, WizardPage)
    ON_WM_PAINT()
END_MESSAGE_MAP()

std::string ProgressPage::ComposeText(const LanguageRecord& texts)
{
    return texts.Text(TextId::ProgressInstalling) + "\r\n\r\n" + texts.Text(TextId::ProgressCancelHint);
}

void ProgressPage::DoDataExchange(CDataExchange* pDX)
{
    WizardPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_FILE_BAR, fileBar);
    DDX_Control(pDX, IDC_TOTAL_BAR, totalBar);
}

void ProgressPage::ShowCurrentFile(const std::string& name)
{
    SetDlgItemText(IDC_CURRENT_FILE, CurrentTexts().Text(TextId::ProgressCopying) + name);
}

void ProgressPage::SetFileRange(int size)
{
    fileBar.SetRange32(0, size);
    fileBar.SetPos(0);
}

void ProgressPage::AdvanceFile(int bytes)
{
    fileBar.OffsetPos(bytes);
}

void ProgressPage::SetTotalRange(int size)
{
    totalBar.SetRange32(0, size);
    totalBar.SetPos(0);
}

void ProgressPage::AdvanceTotal(int bytes)
{
    totalBar.OffsetPos(bytes);
}

void ProgressPage::OnPaint()
{
    LanguageRecord texts = CurrentTexts();
    SetItemText(IDC_PROGRESS_TEXT, ComposeText(texts));
    // The bare prefix: a repaint shows no file until the next file begins.
    SetItemText(IDC_CURRENT_FILE, texts.Text(TextId::ProgressCopying));
    SetItemText(IDC_TOTAL_LABEL, texts.Text(TextId::ProgressAllFiles));
    WizardPage::OnPaint();
}
