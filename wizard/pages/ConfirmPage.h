#pragma once
#include "wizard/pages/WizardPage.h"

// Page 5: the last word before installing; Next on it starts the installation.
class ConfirmPage : public WizardPage {
public:
    enum { IDD = 135 };

    ConfirmPage() = default;
    ~ConfirmPage() override = default;

    static std::string ComposeText(const LanguageRecord& texts);

protected:
    void OnPaint();

    DECLARE_MESSAGE_MAP()
};
