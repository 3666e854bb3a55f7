#include "InstalledProduct.h"

#include "ProductFiles.h"

#include <windows.h>
#include <shlobj.h>

namespace {

const char kRecordKey[] = "Software\\Orvanta";

std::string Join(const std::string& folder, const std::string& name)
{
    if (folder.empty() || folder.back() == '\\')
        return folder + name;
    return folder + "\\" + name;
}

// An absolute path below a drive (X:\something), never a drive root: the record is
// only state, and a damaged one must not aim the removal at a whole volume.
bool IsSafeFolder(const std::string& path)
{
    if (path.size() < 4 || path[1] != ':' || path[2] != '\\')
        return false;
    return path.find_first_not_of('\\', 3) != std::string::npos;
}

} // namespace

std::string InstalledProduct::ReadValue(const char* name)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRecordKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::string();
    char data[1024] = {};
    DWORD size = sizeof(data) - 1;
    DWORD type = 0;
    LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS && type == REG_SZ ? std::string(data) : std::string();
}

std::string InstalledProduct::ShellFolder(int csidl)
{
    char path[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE))
        return std::string();
    return path;
}

bool InstalledProduct::Load()
{
    installPath_ = ReadValue("InstallPath");
    programGroup_ = ReadValue("ProgramGroup");
    desktopName_ = ReadValue("DesktopName");
    title_ = ReadValue("SetupName");
    if (title_.empty())
        title_ = "Orvanta 4.00";
    while (installPath_.size() > 3 && installPath_.back() == '\\')
        installPath_.pop_back();
    return !installPath_.empty();
}

bool InstalledProduct::DeleteIfPresent(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    return DeleteFileA(path.c_str()) != FALSE;
}

void InstalledProduct::RemoveEmptyFolders(const std::string& root, const std::vector<std::string>& relative)
{
    // Deepest first: a listed folder comes after the folders inside it only if the list
    // is sorted that way, so walk it backwards (the list holds parents before children).
    for (auto it = relative.rbegin(); it != relative.rend(); ++it)
        RemoveDirectoryA(Join(root, *it).c_str());
    RemoveDirectoryA(root.c_str());
}

bool InstalledProduct::Remove()
{
    bool complete = true;
    if (IsSafeFolder(installPath_)) {
        for (const char* file : kProductFiles)
            complete &= DeleteIfPresent(Join(installPath_, file));
        RemoveEmptyFolders(installPath_, std::vector<std::string>(std::begin(kProductFolders), std::end(kProductFolders)));
        complete &= GetFileAttributesA(installPath_.c_str()) == INVALID_FILE_ATTRIBUTES;
    } else {
        complete = false;
    }

    std::string programs = ShellFolder(CSIDL_COMMON_PROGRAMS);
    if (!programs.empty() && !programGroup_.empty()) {
        std::string group = Join(programs, programGroup_);
        for (const char* link : kGroupLinks)
            DeleteIfPresent(Join(group, link));
        if (!desktopName_.empty())
            DeleteIfPresent(Join(group, desktopName_ + ".lnk"));
        DeleteIfPresent(Join(group, "Uninstall.lnk"));
        RemoveDirectoryA(group.c_str());
    }

    std::string desktop = ShellFolder(CSIDL_DESKTOP);
    if (!desktop.empty() && !desktopName_.empty())
        DeleteIfPresent(Join(desktop, desktopName_ + ".lnk"));

    RegDeleteKeyA(HKEY_CURRENT_USER, kRecordKey);
    return complete;
}
