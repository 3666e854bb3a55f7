#pragma once
#include <windows.h>

#include <string>

#include "framework/CProgressCtrl.h"
#include "wizard/pages/WizardPage.h"

// Page 6: the running installation. The frame turns the worker's notices into the
// display operations below; the page itself never talks to the engine. Both bars count
// bytes, and the controls scale positions to their width and clamp them to the range.
class ProgressPage : public WizardPage {
public:
    enum { IDD = 136 };

    ProgressPage() = default;
    ~ProgressPage() override = default;

    // The file line: the "copying" text followed by the full path being written.
    void ShowCurrentFile(const std::string& name);
    void SetFileRange(int size);
    void AdvanceFile(int bytes);
    void SetTotalRange(int size);
    void AdvanceTotal(int bytes);

    static std::string ComposeText(const LanguageRecord& texts);

protected:
    void DoDataExchange(CDataExchange* pDX) override;

    void OnPaint();

    DECLARE_MESSAGE_MAP()

private:
    CProgressCtrl fileBar;
    CProgressCtrl totalBar;
};
