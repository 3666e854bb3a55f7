// The end of an installation: program group, shortcuts and the install record.
#include "engine/InstallEngine.h"

#include <shlobj.h>

#include "engine/ItemPath.h"
#include "framework/EventLog.h"
#include "framework/FileApi.h"
#include "framework/RegKey.h"
#include "i18n/LanguageTable.h"
#include "remover/InstallRecordKey.h"
#include "remover/UninstallEntry.h"

namespace {

// A value of up to this many characters already in the record is kept by WriteRecordValue.
// Characters are UTF-16 units with the terminating zero, as the registry counts them
// whichever function wrote the value; the up to three bytes a character takes in UTF-8 play
// no part.
constexpr DWORD kKeptValueCharacters = 256;

} // namespace

bool InstallEngine::FinishInstall()
{
    if (Cancelled())
        return false;
    if (!runPrepared)
        PrepareRun();
    std::string groupFolder = programsFolder + programGroup;
    // An empty group name is the Programs folder itself, which no run creates.
    if (!programGroup.empty() && FileApi::MakeFolder(groupFolder))
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
    EventLog::Instance().Write("record: HKEY_CURRENT_USER\\" + std::string(InstallRecordKey::Path));
    WriteUninstallEntry(settings);
    return WriteInstallLog(record);
}

// The entry is a convenience of the system's list: a machine where neither key can be
// written still gets a working installation, removable by its group's shortcut.
void InstallEngine::WriteUninstallEntry(const InstallSettings& settings)
{
    UninstallEntry::Values values;
    values.title = settings.title;
    values.publisher = settings.linkfrom;
    values.address = settings.linkto;
    values.version = settings.version;
    values.directory = ItemPath::Full(installDirectory);
    while (ItemPath::EndsWithSeparator(values.directory) && values.directory.size() > 3)
        values.directory.pop_back();
    values.payloadBytes = totalBytes;
    values.date = UninstallEntry::Today();
    entryTouched.store(true);
    HKEY root = UninstallEntry::Write(values);
    if (root)
        EventLog::Instance().Write(std::string("list of installed programs: ") +
                                   (root == HKEY_LOCAL_MACHINE ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\") +
                                   UninstallEntry::Path);
    else
        EventLog::Instance().Failure("list of installed programs: no entry", ::GetLastError());
}

void InstallEngine::WriteRecordValue(const std::string& name, const std::string& text)
{
    RegKey key;
    if (!key.Create(HKEY_CURRENT_USER, InstallRecordKey::Path, REG_OPTION_VOLATILE, KEY_ALL_ACCESS))
        return;
    DWORD characters = 0;
    if (key.QueryCharacters(name.c_str(), characters) && characters <= kKeptValueCharacters)
        return;
    key.SetString(name.c_str(), text);
}
