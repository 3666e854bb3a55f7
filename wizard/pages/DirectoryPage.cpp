#include "wizard/pages/DirectoryPage.h"

#include <shlobj.h>

#include "framework/ScopedCoInit.h"
#include "framework/ScopedItemIdList.h"
#include "i18n/LanguageTable.h"
#include "resources/resource.h"

BEGIN_MESSAGE_MAP(DirectoryPage, WizardPage)
    ON_WM_PAINT()
    ON_BN_CLICKED(IDC_DIRECTORY_BROWSE, &DirectoryPage::OnBrowse)
END_MESSAGE_MAP()

std::string DirectoryPage::GetDirectoryText() const
{
    return GetDlgItemText(IDC_DIRECTORY_EDIT);
}

std::string DirectoryPage::WithTrailingBackslash(const std::string& path)
{
    // Walked by characters of the ANSI code page: a double-byte character whose trail
    // byte is 0x5C ends a folder name, it is no separator.
    if (path.empty())
        return path;
    bool endsWithSeparator = false;
    for (size_t i = 0; i < path.size(); ++i) {
        endsWithSeparator = path[i] == '\\';
        if (::IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < path.size())
            ++i;
    }
    return endsWithSeparator ? path : path + "\\";
}

std::string DirectoryPage::BrowseForFolder()
{
    LanguageRecord texts = CurrentTexts();
    char displayName[MAX_PATH] = {};
    BROWSEINFOA request{};
    request.hwndOwner = m_hWnd;
    request.pidlRoot = nullptr;
    request.pszDisplayName = displayName;
    request.lpszTitle = texts.Text(TextId::BrowseInstruction).c_str();
    request.ulFlags = BIF_NEWDIALOGSTYLE;
    request.lpfn = nullptr;

    // The new dialog style is built on COM and needs it on the calling thread; the setup's
    // engine has it, but the page must not rely on who else happens to have started it.
    ScopedCoInit com;
    ScopedItemIdList chosen(::SHBrowseForFolderA(&request));
    if (!chosen)
        return std::string();
    // The product goes straight into the chosen folder: no product subfolder is added.
    return WithTrailingBackslash(chosen.GetPath());
}

void DirectoryPage::DoDataExchange(CDataExchange* pDX)
{
    WizardPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_DIRECTORY_BROWSE, browseButton);
}

BOOL DirectoryPage::OnInitDialog()
{
    WizardPage::OnInitDialog();
    InstallSettings settings;
    LanguageTable::Instance()->ReadInstallSettings(settings);
    SetDlgItemText(IDC_DIRECTORY_EDIT, settings.installpath + settings.installname);
    return TRUE;
}

void DirectoryPage::OnPaint()
{
    LanguageRecord texts = CurrentTexts();
    SetItemText(IDC_DIRECTORY_LABEL, texts.Text(TextId::DirectoryPrompt));
    SetItemText(IDC_DIRECTORY_GROUPBOX, texts.Text(TextId::DirectoryGroup));
    SetItemText(IDC_DIRECTORY_BROWSE, texts.Text(TextId::ButtonBrowse));
    CFont* font = LanguageFont();
    browseButton.SetFont(font, TRUE);
    if (CWnd* groupBox = GetDlgItem(IDC_DIRECTORY_GROUPBOX))
        groupBox->SetFont(font, TRUE);
    WizardPage::OnPaint();
}

void DirectoryPage::OnBrowse()
{
    std::string chosen = BrowseForFolder();
    if (!chosen.empty())
        SetDlgItemText(IDC_DIRECTORY_EDIT, chosen);
}
