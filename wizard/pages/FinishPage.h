#pragma once
#include "wizard/pages/WizardPage.h"

// Page 7: the installation is complete. The launch box is ticked at every paint, so the
// option is on whenever the page has just been painted.
class FinishPage : public WizardPage {
public:
    enum { IDD = 137 };

    FinishPage() = default;
    ~FinishPage() override = default;

    // True when the launch box is ticked.
    bool LaunchRequested() const;

    static std::string ComposeText(const LanguageRecord& texts);

protected:
    void OnPaint();

    DECLARE_MESSAGE_MAP()
};
