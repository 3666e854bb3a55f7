#include "wizard/pages/LanguagePage.h"

#include <string>
#include <vector>

#include "i18n/LanguageTable.h"
#include "resources/resource.h"
#include "wizard/WizardEngine.h"

BEGIN_MESSAGE_MAP(LanguagePage, WizardPage)
    ON_WM_PAINT()
    ON_LBN_SELCHANGE(IDC_LANGUAGE_LIST, &LanguagePage::OnLanguageSelected)
END_MESSAGE_MAP()

void LanguagePage::DoDataExchange(CDataExchange* pDX)
{
    WizardPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_LANGUAGE_LIST, languageList);
}

BOOL LanguagePage::OnInitDialog()
{
    WizardPage::OnInitDialog();
    LanguageTable* table = LanguageTable::Instance();
    std::vector<std::string> names;
    table->GetLanguageNames(names);
    for (const std::string& name : names)
        languageList.AddString(name);

    // The language offered first (the user's own where lang.ini declares it, otherwise
    // "default") becomes the current one, so the pages speak the language the list
    // offers. Its name is found by the list's own prefix search, which starts after item 0
    // and wraps: of two names where one begins the other, the longer may be the one
    // highlighted; only the user's pick switches to a highlighted item.
    // Compared before the subtraction: a "default" near the integer limits must not wrap.
    int language = WizardRequestedLanguage() > 0 ? WizardRequestedLanguage() : table->GetPreferredLanguage();
    table->SetCurrentLanguage(language);
    if (language >= 1 && language <= languageList.GetCount())
        languageList.SelectString(0, names[static_cast<size_t>(language - 1)]);
    return TRUE;
}

bool LanguagePage::UsesFixedFont(int controlId) const
{
    return controlId == IDC_LANGUAGE_LIST;
}

void LanguagePage::OnPaint()
{
    LanguageRecord texts = CurrentTexts();
    SetItemText(IDC_LANGUAGE_LABEL, texts.Text(TextId::LanguagesLabel));
    WizardPage::OnPaint();
}

void LanguagePage::OnLanguageSelected()
{
    int selected = languageList.GetCurSel();
    if (selected == LB_ERR)
        return;
    LanguageTable::Instance()->SetCurrentLanguage(selected + 1);
}
