#include "uninstaller/Uninstallation.h"

#include "remover/UninstallEntry.h"

#include <windows.h>

#include <algorithm>

#include "framework/FileApi.h"
#include "framework/RegKey.h"
#include "framework/WideText.h"
#include "remover/FolderPath.h"
#include "remover/InstallRecordKey.h"
#include "remover/SetAside.h"
#include "uninstaller/ProductList.h"
#include "uninstaller/ShortcutSearch.h"
#include "uninstaller/UninstallPackage.h"

namespace {

// The product list names what the setup unpacks, never its shortcuts, and the directory
// counts as created: it goes when nothing else is left in it.
InstallLog ReadLog(const std::string& directory, const ProductList& list, bool& logged)
{
    InstallLog log;
    logged = log.Load(directory);
    if (!logged) {
        log.directory = directory;
        log.folders = list.Folders();
        log.files = list.Files();
    }
    return log;
}

} // namespace

Uninstallation::Uninstallation(const std::string& installDirectory, const ProductList& list)
    : directory_(installDirectory), log_(ReadLog(installDirectory, list, logged_)), removal_(installDirectory, log_)
{
}

bool Uninstallation::RemoveAllButProgram(const std::string& parkFolder)
{
    bool complete = true;
    if (SetAside::Pending(directory_)) {
        int restored = SetAside::Recover(directory_);
        complete = restored >= 0;
        recovered_ = restored > 0;
    }
    complete = removal_.RemoveFiles({UninstallPackage::ProgramName}) && complete;
    if (!logged_)
        ShortcutSearch(directory_, log_.files).RemoveAll();
    RemoveRecord();
    UninstallEntry::RemoveFor(directory_);
    if (!parkFolder.empty() && ParkProgram(parkFolder)) {
        removal_.RemoveFolders();
        foldersRemoved_ = true;
    }
    return complete;
}

bool Uninstallation::RemoveRest()
{
    bool complete = true;
    if (!parked_.empty()) {
        FileApi::SetAttributes(parked_, FILE_ATTRIBUTE_NORMAL);
        if (!FileApi::RemoveFile(parked_))
            FileApi::Move(parked_, std::string(), MOVEFILE_DELAY_UNTIL_REBOOT);
    } else {
        complete = removal_.RemoveFiles();
    }
    if (!foldersRemoved_)
        removal_.RemoveFolders();
    return complete;
}

bool Uninstallation::ParkProgram(const std::string& parkFolder)
{
    const std::wstring name = WideText::FromUtf8(UninstallPackage::ProgramName);
    bool listed = std::any_of(log_.files.begin(), log_.files.end(), [&](const std::string& file) {
        return WideText::SameIgnoringCase(WideText::FromUtf8(file), name);
    });
    std::string parked = parkFolder + "\\" + ParkedName;
    // No copy across volumes: a copy would leave the running original where it is.
    if (!listed ||
        !FileApi::Move(directory_ + "\\" + UninstallPackage::ProgramName, parked, 0))
        return false;
    parked_ = parked;
    return true;
}

void Uninstallation::RemoveRecord() const
{
    RegKey key;
    std::string recorded;
    if (!key.Open(HKEY_CURRENT_USER, InstallRecordKey::Path) ||
        !key.QueryString(InstallRecordKey::InstallPath, recorded) || !FolderPath::IsSame(recorded, directory_))
        return;
    key.Close();
    InstallRecordKey::Delete();
}
