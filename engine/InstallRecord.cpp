// The end of an installation: program group, shortcuts and the install record.
#include "engine/InstallEngine.h"

#include <shlobj.h>

#include "framework/RegKey.h"
#include "i18n/LanguageTable.h"

namespace {

const char* const kRecordValues[] = {"InstallPath", "ProgramGroup", "DesktopName", "SetupName", "Install"};

// Data of up to this many bytes already in the record is kept by WriteRecordValue.
constexpr DWORD kKeptValueBytes = 256;

} // namespace

bool InstallEngine::FinishInstall()
{
    if (Cancelled())
        return false;
    std::string groupFolder = programsFolder + programGroup;
    if (::CreateDirectoryA(groupFolder.c_str(), nullptr))
        created.Add(groupFolder);
    NotifyShellFolder(SHCNE_MKDIR | SHCNE_INTERRUPT, groupFolder);

    LanguageTable* table = LanguageTable::Instance();
    std::vector<LinkEntry> links;
    table->ReadLinks(links);
    for (const LinkEntry& entry : links)
        CreateGroupShortcut(entry.target, entry.shortcutName + ".lnk", std::string());
    InstallSettings settings;
    table->ReadInstallSettings(settings);
    CreateGroupShortcut("terminal.exe", settings.installname + ".lnk", "terminal.ico");
    CreateGroupShortcut("Uninstall.exe", "Uninstall.lnk", std::string());
    CreateDesktopShortcut("terminal.exe", settings.installname + ".lnk", "terminal.ico");

    recordTouched.store(true);
    DeleteRecordValues();
    WriteRecordValue(RecordKey, "InstallPath", installDirectory);
    WriteRecordValue(RecordKey, "ProgramGroup", programGroup);
    WriteRecordValue(RecordKey, "DesktopName", settings.installname);
    WriteRecordValue(RecordKey, "SetupName", settings.title);
    WriteRecordValue(RecordKey, "Install", GetSetupPath());
    return true;
}

// A key that keeps subkeys (the installed product may store its own settings below it)
// survives the deletion with its values; those of the record are deleted one by one then.
void InstallEngine::DeleteRecordValues()
{
    ::RegDeleteKeyA(HKEY_CURRENT_USER, RecordKey);
    RegKey survivor;
    if (survivor.Open(HKEY_CURRENT_USER, RecordKey, KEY_SET_VALUE)) {
        for (const char* value : kRecordValues)
            survivor.DeleteValue(value);
        survivor.Close();
    }
}

void InstallEngine::WriteRecordValue(const std::string& keyPath, const std::string& name, const std::string& text)
{
    RegKey key;
    if (!key.Create(HKEY_CURRENT_USER, keyPath.c_str(), REG_OPTION_VOLATILE, KEY_ALL_ACCESS))
        return;
    DWORD bytes = 0;
    if (key.QueryValueSize(name.c_str(), bytes) && bytes <= kKeptValueBytes)
        return;
    key.SetString(name.c_str(), text);
}
