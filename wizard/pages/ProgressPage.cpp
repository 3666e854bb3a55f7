#include "wizard/pages/ProgressPage.h"

#include "resources/resource.h"

namespace {

const UINT_PTR kRepaintTimer = 1;
// Ten pictures a second: the bars still move smoothly to the eye, and under Wine, where
// one picture of the three controls costs several milliseconds, the repaints take well
// under a tenth of the installation whatever the size of the payload.
const UINT kRepaintMs = 100;
// The held controls, and their bits in the set of those changed since the last picture.
const int kHeldControls[] = {IDC_FILE_BAR, IDC_TOTAL_BAR, IDC_CURRENT_FILE};
const unsigned kFileBarBit = 1, kTotalBarBit = 2, kFileLineBit = 4, kAllHeld = 7;

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
    Changed(kFileLineBit);
    SetDlgItemText(IDC_CURRENT_FILE, CurrentTexts().Text(TextId::ProgressCopying) + name);
}

void ProgressPage::SetFileRange(int size)
{
    Changed(kFileBarBit);
    fileBar.SetRange32(0, size);
    fileBar.SetPos(0);
}

void ProgressPage::AdvanceFile(int bytes)
{
    Changed(kFileBarBit);
    fileBar.OffsetPos(bytes);
}

void ProgressPage::SetTotalRange(int size)
{
    Changed(kTotalBarBit);
    totalBar.SetRange32(0, size);
    totalBar.SetPos(0);
}

void ProgressPage::AdvanceTotal(int bytes)
{
    Changed(kTotalBarBit);
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
    // The page's own paint covers held controls too; they are drawn again at the next tick.
    if (redrawHeld)
        changed = kAllHeld;
}

void ProgressPage::Changed(unsigned which)
{
    changed |= which;
    if (redrawHeld || !m_hWnd)
        return;
    for (int id : kHeldControls)
        if (CWnd* control = GetDlgItem(id))
            control->SetRedraw(FALSE);
    redrawHeld = SetTimer(kRepaintTimer, kRepaintMs) != 0;
    if (!redrawHeld)
        EndHeldRedraw();
}

void ProgressPage::ShowChanges()
{
    for (unsigned i = 0; i < sizeof kHeldControls / sizeof kHeldControls[0]; ++i) {
        if (!(changed & (1u << i)))
            continue;
        if (CWnd* control = GetDlgItem(kHeldControls[i])) {
            control->SetRedraw(TRUE);
            control->RedrawWindow();
            control->SetRedraw(FALSE);
        }
    }
    changed = 0;
}

void ProgressPage::OnTimer(UINT_PTR timerId)
{
    if (timerId == kRepaintTimer)
        ShowChanges();
}

void ProgressPage::OnShowWindow(BOOL show, UINT)
{
    if (!show)
        EndHeldRedraw();
}

void ProgressPage::EndHeldRedraw()
{
    KillTimer(kRepaintTimer);
    redrawHeld = false;
    changed = 0;
    for (int id : kHeldControls) {
        if (CWnd* control = GetDlgItem(id)) {
            control->SetRedraw(TRUE);
            control->Invalidate();
        }
    }
}
