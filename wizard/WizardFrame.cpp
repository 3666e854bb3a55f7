#include "wizard/WizardFrame.h"

WizardFrame::WizardFrame(CWnd* parent) : CDialog(IDD, parent), icon(nullptr) {}
WizardFrame::~WizardFrame() = default;
void WizardFrame::EnableNavButton(int, bool) {}
bool WizardFrame::ShowPage(int) { return false; }
void WizardFrame::UpdateButtons() {}
CDialog* WizardFrame::Page(int) const { return nullptr; }
void WizardFrame::DoDataExchange(CDataExchange*) {}
BOOL WizardFrame::OnInitDialog() { return CDialog::OnInitDialog(); }
void WizardFrame::OnOK() {}
void WizardFrame::OnCancel() {}
BEGIN_MESSAGE_MAP(WizardFrame, CDialog)
END_MESSAGE_MAP()
