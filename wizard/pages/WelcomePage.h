#pragma once
#include "wizard/pages/WizardPage.h"

// Page 1: the welcome text and the legal warning, four paragraphs in one label.
class WelcomePage : public WizardPage {
public:
    enum { IDD = 131 };

    WelcomePage() = default;
    ~WelcomePage() override = default;

    // The label's text for a language's record.
    static std::string ComposeText(const LanguageRecord& texts);

protected:
    void OnPaint();

    DECLARE_MESSAGE_MAP()
};
