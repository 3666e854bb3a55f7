#pragma once
#include <windows.h>

#include <string>

#include "framework/CProgressCtrl.h"
#include "wizard/pages/WizardPage.h"

// Page 6: the running installation. The frame turns the worker's notices into the
// display operations below; the page itself never talks to the engine. Both bars count
// bytes, and the controls scale positions to their width and clamp them to the range.
//
// A notice comes every 16 KiB while the worker waits for it, and the bars and the file
// line would otherwise repaint at each one (the bars at every step, the file line at
// every file), which costs far more than the extraction itself. So while notices arrive
// the three controls hold their redrawing, and a timer shows what changed ten times a
// second; their positions and texts are always current.
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
    void Changed(unsigned which);
    void ShowChanges();
    void EndHeldRedraw();

    CProgressCtrl fileBar;
    CProgressCtrl totalBar;
    bool redrawHeld = false;
    unsigned changed = 0;
};
