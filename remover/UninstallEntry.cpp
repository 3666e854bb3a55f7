#include "remover/UninstallEntry.h"

#include <cstdio>

#include "framework/RegKey.h"
#include "framework/WideText.h"
#include "remover/FolderPath.h"

namespace {

struct Root {
    HKEY key;
    REGSAM view;
};
const Root kRoots[] = {{HKEY_LOCAL_MACHINE, UninstallEntry::MachineView}, {HKEY_CURRENT_USER, 0}};

std::string Quoted(const std::string& path)
{
    return "\"" + path + "\"";
}

bool WriteValues(RegKey& key, const UninstallEntry::Values& values)
{
    std::string uninstaller = Quoted(values.directory + "\\Uninstall.exe");
    unsigned long long kib = (values.payloadBytes + 1023) / 1024;
    bool written = key.SetString("DisplayName", values.title) && key.SetString("Publisher", values.publisher) &&
                   key.SetString("URLInfoAbout", values.address) &&
                   key.SetString("InstallLocation", values.directory) &&
                   key.SetString("DisplayIcon", values.directory + "\\terminal.ico") &&
                   key.SetString("UninstallString", uninstaller) &&
                   key.SetString("QuietUninstallString", uninstaller + " /S") &&
                   key.SetNumber("EstimatedSize", kib > 0xFFFFFFFFull ? 0xFFFFFFFFul : DWORD(kib)) &&
                   key.SetString("InstallDate", values.date) && key.SetNumber("NoModify", 1) &&
                   key.SetNumber("NoRepair", 1);
    // An earlier version's number must not stay beside a version that gives none.
    if (values.version.empty())
        key.DeleteValue("DisplayVersion");
    else
        written = written && key.SetString("DisplayVersion", values.version);
    return written;
}

} // namespace

HKEY UninstallEntry::Write(const Values& values)
{
    for (const Root& root : kRoots) {
        RegKey key;
        if (key.Create(root.key, Path, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_SET_VALUE | root.view) &&
            WriteValues(key, values))
            return root.key;
    }
    return nullptr;
}

std::string UninstallEntry::Today()
{
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    char date[16];
    std::snprintf(date, sizeof(date), "%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
    return date;
}

bool UninstallEntry::RemoveFor(const std::string& directory)
{
    bool none = true;
    for (const Root& root : kRoots) {
        std::string location;
        {
            RegKey key;
            if (!key.Open(root.key, Path, KEY_READ | root.view) || !key.QueryString("InstallLocation", location) ||
                location.empty() || !FolderPath::IsSame(location, directory))
                continue;
        }
        LONG status = ::RegDeleteKeyExW(root.key, WideText::FromUtf8(Path).c_str(), root.view, 0);
        none = none && (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND);
    }
    return none;
}
