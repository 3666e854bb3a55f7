#pragma once
#include <string>
#include <vector>

#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "wizard/CStaticLink.h"

class InstallEngine;
class RecordedInstallation;

// The setup's one top-level window (template 102): banner, publisher link, the three
// navigation buttons and the band in which one of the nine pages is shown. It decides
// which page and which buttons are shown, hands the user's choices to the engine, starts
// the engine's worker, shows its progress notices and handles every way out of the
// wizard. Runs modally on the user-interface thread; the pages delete themselves when
// the frame's window goes.
class WizardFrame : public CDialog {
public:
    enum { IDD = 102 };

    enum PageIndex {
        LanguageIndex = 0,
        WelcomeIndex = 1,
        LicenceIndex = 2,
        DirectoryIndex = 3,
        GroupIndex = 4,
        ConfirmIndex = 5,
        ProgressIndex = 6,
        FinishIndex = 7,
        CancelIndex = 8,
        PageCount = 9
    };

    explicit WizardFrame(CWnd* parent = nullptr);
    ~WizardFrame() override;

    // Enables (disable false) or disables Next (1001) or Back (1002); other ids do nothing.
    void EnableNavButton(int id, bool disable);
    // Shows page index in place of the current one; false for an index out of range.
    bool ShowPage(int index);
    // Back and Next shown or hidden for the current page; Cancel is never hidden.
    void UpdateButtons();
    int CurrentIndex() const { return currentIndex; }
    // The page object of that index, or null (out of range, or before the pages exist).
    CDialog* Page(int index) const;

    CStaticLink& PublisherLink() { return publisherLink; }

    // How the wizard ended: on the finish page, on the cancel page after a failed run, or
    // abandoned by the user (before the installation or during it).
    enum class Outcome { Abandoned, Failed, Installed };
    Outcome GetOutcome() const { return outcome; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // Enter and Escape (see the .cpp).
    void OnOK() override;
    void OnCancel() override;

    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnBack();
    void OnNext();
    void OnCancelButton();
    void OnCloseRequest();
    LRESULT OnProgressNotice(WPARAM wParam, LPARAM lParam);
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT ctlColorKind);

    DECLARE_MESSAGE_MAP()

private:
    void CreatePages();
    void PlacePages();
    void LoadBanner();
    void StartRepair(const RecordedInstallation& recorded);
    enum class Removal { None, Abandoned, FailedRun };
    // Hides Back and Next and shows the cancel page; the engine first rolls the run back
    // as the user's abandon or as a failed run, or not at all.
    void Abandon(Removal removal);
    InstallEngine* Engine() const;
    LRESULT AskFileInUse(const std::string& path);
    std::string Title() const;
    static void SetCaption(CWnd& window, const std::string& text);
    static bool Usable(const CButton& button);

    CButton backButton;
    CButton nextButton;
    CButton cancelButton;
    HICON icon;
    std::vector<CDialog*> pages;
    int currentIndex = -1;
    CDialog* currentPage = nullptr;
    CStaticLink publisherLink;
    HBITMAP banner = nullptr;          // owned; the static only shows it
    // The link's background is taken from the frame once; kept per frame rather than per
    // process so that every frame (tests make several) colours its own link.
    bool linkColourTaken = false;
    bool abandoning = false;           // set once the wizard heads for the cancel page
    Outcome outcome = Outcome::Abandoned;
};
