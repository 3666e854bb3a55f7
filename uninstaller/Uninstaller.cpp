#include "uninstaller/Uninstaller.h"

#include "i18n/ExeDirectory.h"
#include "i18n/InstallSettings.h"
#include "i18n/LanguageTable.h"
#include "i18n/TextId.h"
#include "remover/RemovalGuard.h"
#include "remover/Remover.h"
#include "uninstaller/ProductList.h"
#include "uninstaller/ProductRemoval.h"
#include "uninstaller/SelfHandover.h"
#include "uninstaller/UninstallPackage.h"

namespace {

// Long enough for any original to end once it has started its copy; a hung one only
// leaves its own file behind, which the report then names.
constexpr DWORD kOriginalWaitMs = 60000;

std::string NewWorkFolder()
{
    char temp[MAX_PATH] = {};
    DWORD length = ::GetTempPathA(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH)
        return std::string();
    std::string folder = std::string(temp, length) + "OrvantaUninstall-" + std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

} // namespace

Uninstaller::Uninstaller(const UninstallCommand& command) : command_(command)
{
}

int Uninstaller::Show(int textId, const std::string& detail, UINT style) const
{
    if (command_.Silent())
        return IDYES;
    LanguageTable* table = LanguageTable::Instance();
    InstallSettings settings;
    table->ReadInstallSettings(settings);
    std::string text = table->ReadText(table->GetDefaultLanguage(), textId);
    if (!detail.empty())
        text += "\r\n\r\n" + detail;
    return ::MessageBoxA(nullptr, text.c_str(), settings.title.c_str(), style | MB_SETFOREGROUND);
}

void Uninstaller::CleanUp() const
{
    if (command_.IsCopy()) {
        Remover::RemoveTree(workFolder_ + "\\" + UninstallPackage::Folder);
        SelfHandover::DeleteAtRestart(SelfHandover::ProgramPath(), workFolder_);
    } else if (!workFolder_.empty()) {
        Remover::RemoveTree(workFolder_);
    }
}

int Uninstaller::Refuse()
{
    Show(TextId::UninstallRefused, installDirectory_, MB_OK | MB_ICONSTOP);
    CleanUp();
    return Refused;
}

int Uninstaller::Run()
{
    installDirectory_ = command_.IsCopy() ? command_.InstallDirectory() : GetExeDirectory();
    workFolder_ = command_.IsCopy() ? GetExeDirectory() : NewWorkFolder();
    ProductList list;
    bool listed = !workFolder_.empty() && list.Load(SelfHandover::ProgramPath(), workFolder_);
    if (!list.LangIni().empty())
        LanguageTable::Instance()->SetFile(list.LangIni());
    // The guard that keeps the setup's remover off drive roots and system folders decides
    // here too: a product list applied there would still delete same-named files.
    if (!listed || RemovalGuard::Refuses(installDirectory_))
        return Refuse();

    if (command_.IsCopy()) {
        SelfHandover::WaitForOriginal(command_.Original(), kOriginalWaitMs);
    } else {
        if (Show(TextId::UninstallConfirm, installDirectory_, MB_YESNO | MB_ICONQUESTION) != IDYES) {
            CleanUp();
            return Done;
        }
        if (SelfHandover::StartCopy(workFolder_, installDirectory_, command_.Silent()))
            return Done;
        // Without a copy this process removes what it can; only its own file stays.
    }
    return RemoveProduct(list);
}

int Uninstaller::RemoveProduct(const ProductList& list)
{
    ProductRemoval removal(installDirectory_);
    bool complete = removal.RemoveItems(list);
    removal.RemoveShortcuts();
    removal.RemoveRecord();
    if (complete)
        Show(TextId::UninstallDone, std::string(), MB_OK | MB_ICONINFORMATION);
    else
        Show(TextId::UninstallIncomplete, installDirectory_, MB_OK | MB_ICONWARNING);
    CleanUp();
    return complete ? Done : Incomplete;
}
