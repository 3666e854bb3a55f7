#include "wizard/pages/ProgressPage.h"

#include <algorithm>

#include "resources/resource.h"

namespace {

const UINT_PTR kShowTimer = 1;
// Ten pictures a second: the bars still move smoothly to the eye, and under Wine, where
// one picture of the three controls costs several milliseconds, they take well under a
// tenth of the installation whatever the size of the payload.
const UINT kShowMs = 100;
const unsigned kFileBarBit = 1, kTotalBarBit = 2, kFileLineBit = 4;

} // namespace

BEGIN_MESSAGE_MAP(ProgressPage, WizardPage)
    ON_WM_PAINT()
    ON_WM_TIMER()
    ON_WM_SHOWWINDOW()
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
    fileName = name;
    Changed(kFileLineBit);
}

void ProgressPage::SetFileRange(int size)
{
    fileKept.SetRange(size);
    Changed(kFileBarBit);
}

void ProgressPage::AdvanceFile(int bytes)
{
    fileKept.Advance(bytes);
    Changed(kFileBarBit);
}

void ProgressPage::SetTotalRange(int size)
{
    totalKept.SetRange(size);
    Changed(kTotalBarBit);
}

void ProgressPage::AdvanceTotal(int bytes)
{
    totalKept.Advance(bytes);
    Changed(kTotalBarBit);
}

void ProgressPage::OnPaint()
{
    LanguageRecord texts = CurrentTexts();
    SetItemText(IDC_PROGRESS_TEXT, ComposeText(texts));
    // The bare prefix: a repaint shows no file until the next file begins, and a name
    // kept from before the paint is no longer one to show.
    changed &= ~kFileLineBit;
    SetItemText(IDC_CURRENT_FILE, texts.Text(TextId::ProgressCopying));
    SetItemText(IDC_TOTAL_LABEL, texts.Text(TextId::ProgressAllFiles));
    WizardPage::OnPaint();
}

void ProgressPage::Changed(unsigned which)
{
    changed |= which;
    if (!ticking)
        ShowChanges();
}

void ProgressPage::ShowChanges()
{
    if (!m_hWnd)
        return;
    if (changed & kFileBarBit)
        fileKept.GiveTo(fileBar);
    if (changed & kTotalBarBit)
        totalKept.GiveTo(totalBar);
    if (changed & kFileLineBit)
        SetDlgItemText(IDC_CURRENT_FILE, CurrentTexts().Text(TextId::ProgressCopying) + fileName);
    changed = 0;
}

void ProgressPage::OnTimer(UINT_PTR timerId)
{
    if (timerId == kShowTimer)
        ShowChanges();
}

void ProgressPage::OnShowWindow(BOOL show, UINT)
{
    if (show) {
        ticking = SetTimer(kShowTimer, kShowMs) != 0;
    } else {
        KillTimer(kShowTimer);
        ticking = false;
    }
    ShowChanges();
}

void ProgressPage::KeptBar::SetRange(int size)
{
    upper = size;
    position = 0;
    rangeGiven = false;
}

void ProgressPage::KeptBar::Advance(int bytes)
{
    int64_t moved = int64_t(position) + bytes;
    position = int(std::max<int64_t>(0, std::min<int64_t>(upper, moved)));
}

void ProgressPage::KeptBar::GiveTo(CProgressCtrl& bar)
{
    if (!rangeGiven)
        bar.SetRange32(0, upper);
    bar.SetPos(position);
    rangeGiven = true;
}
