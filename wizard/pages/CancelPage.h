#pragma once
#include "wizard/pages/WizardPage.h"

// Page 8: the installation was abandoned; the product is not installed.
class CancelPage : public WizardPage {
public:
    enum { IDD = 171 };

    CancelPage() = default;
    ~CancelPage() override = default;

protected:
    BOOL OnInitDialog() override;

    void OnPaint();

    DECLARE_MESSAGE_MAP()
};
