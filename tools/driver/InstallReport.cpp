#include "InstallReport.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>

#include "framework/ComPtr.h"
#include "framework/ScopedCoInit.h"
#include "framework/SpecialFolder.h"
#include "remover/InstallRecordKey.h"

namespace {

void Walk(const std::string& root, const std::string& relative, std::vector<std::string>& out)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((root + "\\" + relative + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string path = relative + data.cFileName;
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            out.push_back(path);
        else if (strcmp(data.cFileName, ".") && strcmp(data.cFileName, "..")) {
            out.push_back(path + "\\");
            Walk(root, path + "\\", out);
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

} // namespace

bool InstallReport::RecordExists()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, InstallRecordKey::Path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::string InstallReport::RecordValue(const std::string& name)
{
    char data[1024] = {};
    DWORD size = sizeof(data) - 1;
    LONG rc = RegGetValueA(HKEY_CURRENT_USER, InstallRecordKey::Path, name.c_str(), RRF_RT_REG_SZ, nullptr, data, &size);
    return rc == ERROR_SUCCESS ? data : "";
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
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> file;
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH);
    char buffer[MAX_PATH] = {};
    if (FAILED(link.CreateInstance(CLSID_ShellLink, IID_IShellLinkA)) || FAILED(link.As(file, IID_IPersistFile))
        || FAILED(file->Load(wide, STGM_READ)))
        return info;
    if (SUCCEEDED(link->GetPath(buffer, MAX_PATH, nullptr, SLGP_RAWPATH)))
        info.target = buffer;
    if (SUCCEEDED(link->GetIconLocation(buffer, MAX_PATH, &info.iconIndex)))
        info.iconPath = buffer;
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
