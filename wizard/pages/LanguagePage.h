#pragma once
#include "framework/CListBox.h"
#include "wizard/pages/WizardPage.h"

// Page 0: the choice of the wizard language. The list is filled once, at creation, with
// the languages of lang.ini in their file order (list index i is language i + 1), and
// the language the table prefers for this user (LanguageTable::GetPreferredLanguage) is
// made current and highlighted; a selection makes that language current, and every page
// and the frame show it at their next paint.
class LanguagePage : public WizardPage {
public:
    enum { IDD = 130 };

    LanguagePage() = default;
    ~LanguagePage() override = default;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    bool UsesFixedFont(int controlId) const override;

    void OnPaint();
    void OnLanguageSelected();

    DECLARE_MESSAGE_MAP()

private:
    CListBox languageList;
};
