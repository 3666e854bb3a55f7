#include "wizard/pages/ProgressPage.h"

#include "resources/resource.h"

namespace {

const UINT_PTR kRepaintTimer = 1;
// 20 pictures a second: the bars move smoothly to the eye, and the repaints cost the
// worker little however often the notices come.
const UINT kRepaintMs = 50;
const int kHeldControls[] = {IDC_FILE_BAR, IDC_TOTAL_BAR, IDC_CURRENT_FILE};

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
    Changed();
    SetDlgItemText(IDC_CURRENT_FILE, CurrentTexts().Text(TextId::ProgressCopying) + name);
}

void ProgressPage::SetFileRange(int size)
{
    Changed();
    fileBar.SetRange32(0, size);
    fileBar.SetPos(0);
}

void ProgressPage::AdvanceFile(int bytes)
{
    Changed();
    fileBar.OffsetPos(bytes);
}

void ProgressPage::SetTotalRange(int size)
{
    Changed();
    totalBar.SetRange32(0, size);
    totalBar.SetPos(0);
}

void ProgressPage::AdvanceTotal(int bytes)
{
    Changed();
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
    changed = changed || redrawHeld;
}

void ProgressPage::Changed()
{
    changed = true;
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
    if (!changed)
        return;
    changed = false;
    for (int id : kHeldControls) {
        if (CWnd* control = GetDlgItem(id)) {
            control->SetRedraw(TRUE);
            control->RedrawWindow();
            control->SetRedraw(FALSE);
        }
    }
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
    changed = false;
    for (int id : kHeldControls) {
        if (CWnd* control = GetDlgItem(id)) {
            control->SetRedraw(TRUE);
            control->Invalidate();
        }
    }
}
