#include "wizard/pages/DirectoryPage.h"

#include <shlobj.h>

#include "engine/InstallEngine.h"
#include "framework/ScopedCoInit.h"
#include "framework/ScopedItemIdList.h"
#include "framework/WideText.h"
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
    // In UTF-8 a last byte 0x5C is the backslash itself, never the end of another character.
    if (path.empty() || path.back() == '\\')
        return path;
    return path + "\\";
}

std::string DirectoryPage::BrowseForFolder()
{
    LanguageRecord texts = CurrentTexts();
    std::wstring instruction = WideText::FromUtf8(texts.Text(TextId::BrowseInstruction));
    wchar_t displayName[MAX_PATH] = {};
    BROWSEINFOW request{};
    request.hwndOwner = m_hWnd;
    request.pidlRoot = nullptr;
    request.pszDisplayName = displayName;
    request.lpszTitle = instruction.c_str();
    request.ulFlags = BIF_NEWDIALOGSTYLE;
    request.lpfn = nullptr;

    // The new dialog style is built on COM and needs it on the calling thread; the setup's
    // engine has it, but the page must not rely on who else happens to have started it.
    ScopedCoInit com;
    ScopedItemIdList chosen(::SHBrowseForFolderW(&request));
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
    // The engine's proposal: the settings' directory, or the one the command line gave.
    InstallSettings settings;
    LanguageTable::Instance()->ReadInstallSettings(settings);
    InstallEngine* engine = Engine();
    SetDlgItemText(IDC_DIRECTORY_EDIT, engine && !engine->GetInstallDirectory().empty()
                                           ? engine->GetInstallDirectory()
                                           : settings.installpath + settings.installname);
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
