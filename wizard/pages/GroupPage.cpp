#include "wizard/pages/GroupPage.h"

#include "engine/InstallEngine.h"
#include "framework/CListBox.h"
#include "i18n/LanguageTable.h"
#include "resources/resource.h"

BEGIN_MESSAGE_MAP(GroupPage, WizardPage)
    ON_WM_PAINT()
    ON_LBN_SELCHANGE(IDC_GROUP_LIST, &GroupPage::OnGroupSelected)
END_MESSAGE_MAP()

std::string GroupPage::GetGroupText() const
{
    return GetDlgItemText(IDC_GROUP_EDIT);
}

BOOL GroupPage::OnInitDialog()
{
    WizardPage::OnInitDialog();
    InstallSettings settings;
    LanguageTable::Instance()->ReadInstallSettings(settings);
    // The command line's group, where it gave one, before the settings' proposal.
    InstallEngine* proposer = Engine();
    SetDlgItemText(IDC_GROUP_EDIT, proposer && !proposer->GetProgramGroup().empty() ? proposer->GetProgramGroup()
                                                                                    : settings.group);
    // The list sorts itself (LBS_SORT), whatever order the engine found the folders in.
    if (InstallEngine* engine = Engine()) {
        CListBox list;
        list.Attach(::GetDlgItem(m_hWnd, IDC_GROUP_LIST));
        for (const std::string& group : engine->GetProgramGroups())
            list.AddString(group);
        list.Detach();
    }
    return TRUE;
}

bool GroupPage::UsesFixedFont(int controlId) const
{
    return controlId == IDC_GROUP_LIST || controlId == IDC_GROUP_EDIT;
}

void GroupPage::OnPaint()
{
    SetItemText(IDC_GROUP_LABEL, CurrentTexts().Text(TextId::GroupPrompt));
    WizardPage::OnPaint();
}

void GroupPage::OnGroupSelected()
{
    CListBox list;
    list.Attach(::GetDlgItem(m_hWnd, IDC_GROUP_LIST));
    int selected = list.GetCurSel();
    std::string name = selected != LB_ERR ? list.GetText(selected) : std::string();
    list.Detach();
    if (selected != LB_ERR)
        SetDlgItemText(IDC_GROUP_EDIT, name);
}
