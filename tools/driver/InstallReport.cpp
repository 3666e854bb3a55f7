#include "InstallReport.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>

#include "framework/ComPtr.h"
#include "framework/RegKey.h"
#include "framework/ScopedCoInit.h"
#include "framework/SpecialFolder.h"
#include "framework/WideText.h"
#include "remover/InstallRecordKey.h"

namespace {

void Walk(const std::string& root, const std::string& relative, std::vector<std::string>& out)
{
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(WideText::FromUtf8(root + "\\" + relative + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string path = relative + WideText::ToUtf8(data.cFileName);
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            out.push_back(path);
        else if (wcscmp(data.cFileName, L".") && wcscmp(data.cFileName, L"..")) {
            out.push_back(path + "\\");
            Walk(root, path + "\\", out);
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

} // namespace

bool InstallReport::RecordExists()
{
    RegKey key;
    return key.Open(HKEY_CURRENT_USER, InstallRecordKey::Path);
}

std::string InstallReport::RecordValue(const std::string& name)
{
    RegKey key;
    std::string value;
    return key.Open(HKEY_CURRENT_USER, InstallRecordKey::Path) && key.QueryString(name.c_str(), value) ? value : "";
}

std::vector<std::string> InstallReport::ListTree(const std::string& folder)
{
    std::vector<std::string> out;
    Walk(folder, "", out);
    std::sort(out.begin(), out.end());
    return out;
}

ShortcutInfo InstallReport::ReadShortcut(const std::string& linkPath)
{
    ShortcutInfo info;
    ScopedCoInit com;
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> file;
    wchar_t buffer[MAX_PATH] = {};
    if (FAILED(link.CreateInstance(CLSID_ShellLink, IID_IShellLinkW)) || FAILED(link.As(file, IID_IPersistFile))
        || FAILED(file->Load(WideText::FromUtf8(linkPath).c_str(), STGM_READ)))
        return info;
    if (SUCCEEDED(link->GetPath(buffer, MAX_PATH, nullptr, SLGP_RAWPATH)))
        info.target = WideText::ToUtf8(buffer);
    if (SUCCEEDED(link->GetIconLocation(buffer, MAX_PATH, &info.iconIndex)))
        info.iconPath = WideText::ToUtf8(buffer);
    info.readable = SUCCEEDED(link->GetHotkey(&info.hotKey));
    return info;
}

std::string InstallReport::ProgramsFolder() { return SpecialFolder::Path(CSIDL_COMMON_PROGRAMS); }
std::string InstallReport::DesktopFolder() { return SpecialFolder::Path(CSIDL_DESKTOP); }
std::string InstallReport::WorkFolder() { return SpecialFolder::Path(CSIDL_TEMPLATES); }

std::string InstallReport::Describe()
{
    if (!RecordExists())
        return std::string("No install record (HKCU\\") + InstallRecordKey::Path + ").\n";
    std::string out = std::string("Install record HKCU\\") + InstallRecordKey::Path + ":\n";
    for (const char* name : {InstallRecordKey::InstallPath, InstallRecordKey::ProgramGroup, InstallRecordKey::DesktopName,
                             InstallRecordKey::SetupName, InstallRecordKey::Install, InstallRecordKey::Repair})
        out += std::string("  ") + name + " = " + RecordValue(name) + "\n";
    out += "Installed files in " + RecordValue(InstallRecordKey::InstallPath) + ":\n";
    for (const std::string& entry : ListTree(RecordValue(InstallRecordKey::InstallPath)))
        out += "  " + entry + "\n";
    std::string group = ProgramsFolder() + "\\" + RecordValue(InstallRecordKey::ProgramGroup);
    std::vector<std::string> links;
    for (const std::string& entry : ListTree(group))
        links.push_back(group + "\\" + entry);
    links.push_back(DesktopFolder() + "\\" + RecordValue(InstallRecordKey::DesktopName) + ".lnk");
    out += "Shortcuts (program group " + group + ", then the desktop):\n";
    for (const std::string& path : links) {
        ShortcutInfo link = ReadShortcut(path);
        char details[64];
        std::snprintf(details, sizeof(details), ",%d)  hot key 0x%04X", link.iconIndex, link.hotKey);
        out += "  " + path + "\n";
        if (link.readable)
            out += "      -> " + link.target + "  (icon " + link.iconPath + details + "\n";
    }
    return out;
}
