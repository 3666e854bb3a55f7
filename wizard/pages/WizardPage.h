#pragma once
#include "framework/CDialog.h"
#include "i18n/LanguageRecord.h"

class CFont;
class InstallEngine;
class WizardFrame;

// What the nine wizard pages share.
//
// A page is a modeless child dialog of the wizard frame. It deletes itself when its
// window is destroyed, so the frame only creates pages and never deletes them. Pages
// set their texts in their paint handlers from a freshly filled LanguageRecord, so a
// change of language shows at their next paint. Every control is drawn in the current
// language's label font; pages that show content (lists, the licence text, the group
// name) answer UsesFixedFont for those controls and get the fixed font there instead.
class WizardPage : public CDialog {
public:
    WizardPage() = default;
    ~WizardPage() override = default;

protected:
    void PostNcDestroy() override;
    // Enter and Escape inside a page (a multi-line edit turns them into the page's own
    // IDOK and WM_CLOSE) act as they do on the frame; the default handling would end
    // the page's dialog and leave the frame with an empty band.
    void OnOK() override;
    void OnCancel() override;

    // True for the controls drawn in the fixed font rather than the label font.
    virtual bool UsesFixedFont(int controlId) const;

    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT ctlColorKind);

    // The current language's texts, read now.
    static LanguageRecord CurrentTexts();
    static CFont* LanguageFont();
    // The running wizard frame (the application's main window), or null.
    static WizardFrame* Frame();
    // The application's install engine, or null.
    static InstallEngine* Engine();

    // Sets a child's text only when it differs: a static repaints itself on every
    // WM_SETTEXT, and an unchanged text need not flicker at each page paint.
    void SetItemText(int id, const std::string& text);

    DECLARE_MESSAGE_MAP()
};
