#pragma once
#include <string>

#include "framework/CButton.h"
#include "wizard/pages/WizardPage.h"

// Page 3: the install directory. The edit is filled once, at creation, with the
// proposed directory; the user may type another or pick a folder with the shell's
// folder browser. The frame takes the edit's text on Next.
class DirectoryPage : public WizardPage {
public:
    enum { IDD = 133 };

    DirectoryPage() = default;
    ~DirectoryPage() override = default;

    // The edit's text, unchanged.
    std::string GetDirectoryText() const;
    // Runs the folder browser; the chosen folder with a trailing backslash, or empty
    // when the user cancelled or the choice has no file-system path.
    std::string BrowseForFolder();
    // A chosen folder path as the edit gets it: a trailing backslash added unless there
    // is one already (a drive root); an empty path stays empty.
    static std::string WithTrailingBackslash(const std::string& path);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    void OnPaint();
    void OnBrowse();

    DECLARE_MESSAGE_MAP()

private:
    CButton browseButton;
};
