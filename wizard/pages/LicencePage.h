#pragma once
#include "framework/CButton.h"
#include "wizard/pages/WizardPage.h"

// Page 2: the licence agreement. Next stays disabled until the acceptance box is
// ticked; the box is cleared at every paint, so acceptance is never carried over from
// an earlier visit of the page.
class LicencePage : public WizardPage {
public:
    enum { IDD = 132 };

    LicencePage() = default;
    ~LicencePage() override = default;

    // The agreement as the edit shows it: 44 spaces, then the "states" text (whose "#"
    // are already line breaks).
    static std::string ComposeAgreement(const std::string& states);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    bool UsesFixedFont(int controlId) const override;

    void OnPaint();
    void OnAcceptClicked();

    DECLARE_MESSAGE_MAP()

private:
    CButton acceptBox;
};
