#pragma once
#include <windows.h>

#include <string>

#include "framework/CProgressCtrl.h"
#include "wizard/pages/WizardPage.h"

// Page 6: the running installation. The frame turns the worker's notices into the
// display operations below; the page itself never talks to the engine. Both bars count
// bytes, and the controls scale positions to their width.
//
// A notice comes every 16 KiB while the worker waits for it, and under Wine each message
// to a control is a round trip to the Wine server that costs twice the notice itself. So
// while the page is shown the display operations only keep the ranges, positions and file
// name here, and a timer gives what changed to the controls ten times a second; so do the
// page's hiding (the end of the installation, the cancel page) and its showing. A hidden
// page, or one without a timer, gives every change to its controls at once.
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
    void OnTimer(UINT_PTR timerId);
    void OnShowWindow(BOOL show, UINT status);

    DECLARE_MESSAGE_MAP()

private:
    // A bar's range and position as the notices left them; the control's default range
    // until one is set. Positions clamp to the range at every step, as the control's do.
    struct KeptBar {
        int upper = 100;
        int position = 0;
        bool rangeGiven = true;
        void SetRange(int size);
        void Advance(int bytes);
        void GiveTo(CProgressCtrl& bar);
    };

    void Changed(unsigned which);
    void ShowChanges();

    CProgressCtrl fileBar;
    CProgressCtrl totalBar;
    KeptBar fileKept;
    KeptBar totalKept;
    std::string fileName;
    unsigned changed = 0;
    bool ticking = false;
};
