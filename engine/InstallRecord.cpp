// The end of an installation: program group, shortcuts and the install record.
#include "engine/InstallEngine.h"

#include <shlobj.h>

#include "framework/RegKey.h"
#include "i18n/LanguageTable.h"
#include "remover/InstallRecordKey.h"

namespace {

// Data of up to this many bytes already in the record is kept by WriteRecordValue.
constexpr DWORD kKeptValueBytes = 256;

} // namespace

bool InstallEngine::FinishInstall()
{
    if (Cancelled())
        return false;
    if (!runPrepared)
        PrepareRun();
    std::string groupFolder = programsFolder + programGroup;
    // An empty group name is the Programs folder itself, which no run creates.
    if (!programGroup.empty() && ::CreateDirectoryA(groupFolder.c_str(), nullptr))
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
    InstallRecordKey::Delete();
    const std::vector<std::pair<std::string, std::string>> record = {
        {InstallRecordKey::InstallPath, installDirectory},
        {InstallRecordKey::ProgramGroup, programGroup},
        {InstallRecordKey::DesktopName, settings.installname},
        {InstallRecordKey::SetupName, settings.title},
        {InstallRecordKey::Install, GetSetupPath()},
    };
    for (const auto& value : record)
        WriteRecordValue(value.first, value.second);
    return WriteInstallLog(record);
}

void InstallEngine::WriteRecordValue(const std::string& name, const std::string& text)
{
    RegKey key;
    if (!key.Create(HKEY_CURRENT_USER, InstallRecordKey::Path, REG_OPTION_VOLATILE, KEY_ALL_ACCESS))
        return;
    DWORD bytes = 0;
    if (key.QueryValueSize(name.c_str(), bytes) && bytes <= kKeptValueBytes)
        return;
    key.SetString(name.c_str(), text);
}
