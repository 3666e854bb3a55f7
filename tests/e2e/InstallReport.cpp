#include "InstallReport.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <sstream>

namespace {

const char kRecordKey[] = "Software\\Orvanta";

std::string ShellFolder(int csidl)
{
    char path[MAX_PATH] = {};
    return SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE) ? std::string(path) : std::string();
}

void Walk(const std::string& root, const std::string& relative, std::vector<std::string>& out)
{
    WIN32_FIND_DATAA data;
    std::string pattern = root + (relative.empty() ? "" : "\\" + relative) + "\\*";
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..")
            continue;
        std::string path = relative.empty() ? name : relative + "\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out.push_back(path + "\\");
            Walk(root, path, out);
        } else {
            out.push_back(path);
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

} // namespace

std::string InstallReport::RecordValue(const std::string& name)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRecordKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::string();
    char data[1024] = {};
    DWORD size = sizeof(data) - 1;
    LONG rc = RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? std::string(data) : std::string();
}

bool InstallReport::RecordExists()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRecordKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::vector<std::string> InstallReport::ListTree(const std::string& folder)
{
    std::vector<std::string> out;
    Walk(folder, std::string(), out);
    std::sort(out.begin(), out.end());
    return out;
}

ShortcutInfo InstallReport::ReadShortcut(const std::string& linkPath)
{
    ShortcutInfo info;
    info.path = linkPath;
    HRESULT init = CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            wchar_t wide[MAX_PATH] = {};
            MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH);
            if (SUCCEEDED(file->Load(wide, STGM_READ))) {
                char buffer[MAX_PATH] = {};
                if (SUCCEEDED(link->GetPath(buffer, MAX_PATH, nullptr, SLGP_RAWPATH)))
                    info.target = buffer;
                buffer[0] = '\0';
                if (SUCCEEDED(link->GetIconLocation(buffer, MAX_PATH, &info.iconIndex)))
                    info.iconPath = buffer;
                WORD hotKey = 0;
                if (SUCCEEDED(link->GetHotkey(&hotKey)))
                    info.hotKey = hotKey;
                info.readable = true;
            }
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(init))
        CoUninitialize();
    return info;
}

std::string InstallReport::ProgramsFolder()
{
    return ShellFolder(CSIDL_COMMON_PROGRAMS);
}

std::string InstallReport::DesktopFolder()
{
    return ShellFolder(CSIDL_DESKTOP);
}

std::string InstallReport::WorkFolder()
{
    return ShellFolder(CSIDL_TEMPLATES);
}

std::string InstallReport::Describe()
{
    std::ostringstream out;
    if (!RecordExists()) {
        out << "No install record (HKCU\\Software\\Orvanta).\n";
        return out.str();
    }
    out << "Install record HKCU\\Software\\Orvanta:\n";
    for (const char* name : {"InstallPath", "ProgramGroup", "DesktopName", "SetupName", "Install", "Repair"})
        out << "  " << name << " = " << RecordValue(name) << "\n";
    std::string installPath = RecordValue("InstallPath");
    out << "Installed files in " << installPath << ":\n";
    for (const std::string& entry : ListTree(installPath))
        out << "  " << entry << "\n";
    auto describeLink = [&out](const std::string& path) {
        ShortcutInfo link = ReadShortcut(path);
        out << "  " << path;
        if (link.readable) {
            out << "\n      -> " << link.target;
            if (!link.iconPath.empty())
                out << "  (icon " << link.iconPath << "," << link.iconIndex << ")";
            char keys[16];
            wsprintfA(keys, "%04X", link.hotKey);
            out << "  hot key 0x" << keys;
        }
        out << "\n";
    };
    std::string group = ProgramsFolder() + "\\" + RecordValue("ProgramGroup");
    out << "Program group " << group << ":\n";
    for (const std::string& entry : ListTree(group))
        describeLink(group + "\\" + entry);
    out << "Desktop shortcut:\n";
    describeLink(DesktopFolder() + "\\" + RecordValue("DesktopName") + ".lnk");
    return out.str();
}
