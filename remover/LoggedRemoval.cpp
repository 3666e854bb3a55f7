#include "remover/LoggedRemoval.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include "framework/ScopedCoInit.h"
#include "framework/ShellLinkTarget.h"
#include "framework/SpecialFolder.h"
#include "framework/WideText.h"
#include "remover/FolderPath.h"
#include "remover/RemovalGuard.h"

namespace {

bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

bool EndsWithLnk(const std::wstring& path)
{
    static const wchar_t kLnk[] = L".lnk";
    return path.size() > 4 && WideText::SameIgnoringCase(path.c_str() + path.size() - 4, 4, kLnk, 4);
}

// A link is deleted as a link: a folder link (junction, symbolic link to a folder) with
// RemoveDirectory, which never enters it, a file link with DeleteFile.
bool DeleteEntry(const std::wstring& path, DWORD attributes)
{
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return ::RemoveDirectoryW(path.c_str()) != FALSE;
    // The setup gives files the attributes stored in the archive; read-only is one.
    if (attributes & FILE_ATTRIBUTE_READONLY)
        ::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    return ::DeleteFileW(path.c_str()) != FALSE;
}

size_t Depth(const std::string& name)
{
    return static_cast<size_t>(std::count_if(name.begin(), name.end(), [](char c) { return c == '\\' || c == '/'; }));
}

} // namespace

LoggedRemoval::LoggedRemoval(const std::string& directory, const InstallLog& log) : directory_(directory), log_(log)
{
    while (!directory_.empty() && (directory_.back() == '\\' || directory_.back() == '/'))
        directory_.pop_back();
}

// Every folder between the directory and the entry is looked at: a component that has
// become a link (a junction planted after the installation) would lead the deletion
// somewhere else. Folders found sound are remembered for the entries that follow.
bool LoggedRemoval::IsBelowLink(const std::string& relative)
{
    std::wstring name = WideText::FromUtf8(relative);
    std::wstring base = WideText::FromUtf8(directory_);
    for (size_t i = 0; i < name.size(); ++i) {
        if (!IsSeparator(name[i]))
            continue;
        std::wstring prefix = name.substr(0, i);
        if (std::find(checkedFolders_.begin(), checkedFolders_.end(), prefix) != checkedFolders_.end())
            continue;
        DWORD attributes = ::GetFileAttributesW((base + L"\\" + prefix).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return true;
        checkedFolders_.push_back(prefix);
    }
    return false;
}

bool LoggedRemoval::RemoveShortcut(const std::string& path)
{
    std::wstring wide = WideText::FromUtf8(path);
    if (!EndsWithLnk(wide))
        return true;
    bool placed = false;
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS, CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY}) {
        std::string folder = SpecialFolder::Path(csidl);
        if (!folder.empty() && FolderPath::IsInside(path, folder))
            placed = true;
    }
    DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (!placed || attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return true;
    // The log says this installation saved a link of that name; it is still this
    // installation's only while it leads into the directory (a later product may have
    // saved its own under the same name).
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT) && !FolderPath::IsInside(ShellLinkTarget::Read(path), directory_))
        return true;
    return DeleteEntry(wide, attributes);
}

bool LoggedRemoval::RemoveFiles(const std::vector<std::string>& keep)
{
    bool complete = true;
    {
        ScopedCoInit com;
        for (const std::string& shortcut : log_.shortcuts)
            complete = RemoveShortcut(shortcut) && complete;
    }
    std::wstring base = WideText::FromUtf8(directory_);
    for (const std::string& name : log_.files) {
        if (!RemovalGuard::IsNameBelow(name))
            continue;
        std::wstring wide = WideText::FromUtf8(name);
        bool kept = std::any_of(keep.begin(), keep.end(), [&](const std::string& k) {
            return WideText::SameIgnoringCase(WideText::FromUtf8(k), wide);
        });
        if (kept)
            continue;
        std::wstring path = base + L"\\" + wide;
        DWORD attributes = ::GetFileAttributesW(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            continue;
        if (IsBelowLink(name)) {
            complete = false;  // it stays, and the caller says so
            continue;
        }
        // A folder standing where the installation wrote a file is somebody else's.
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        if (!DeleteEntry(path, attributes))
            complete = false;
    }
    return complete;
}

void LoggedRemoval::RemoveFolders()
{
    std::wstring base = WideText::FromUtf8(directory_);
    std::wstring logPath = base + L"\\" + WideText::FromUtf8(InstallLog::FileName);
    DWORD attributes = ::GetFileAttributesW(logPath.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        DeleteEntry(logPath, attributes);

    std::vector<std::string> folders;
    for (const std::string& name : log_.folders) {
        if (RemovalGuard::IsNameBelow(name))
            folders.push_back(name);
    }
    std::stable_sort(folders.begin(), folders.end(),
                     [](const std::string& a, const std::string& b) { return Depth(a) > Depth(b); });
    for (const std::string& name : folders) {
        if (IsBelowLink(name))
            continue;
        ::RemoveDirectoryW((base + L"\\" + WideText::FromUtf8(name)).c_str());
    }

    if (!log_.directoryExisted && !RemovalGuard::Refuses(directory_)) {
        ::RemoveDirectoryW(base.c_str());
        std::vector<std::string> parents;
        for (const std::string& parent : log_.parents) {
            if (FolderPath::IsInside(directory_, parent) && !RemovalGuard::Refuses(parent))
                parents.push_back(parent);
        }
        std::stable_sort(parents.begin(), parents.end(),
                         [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
        for (const std::string& parent : parents)
            ::RemoveDirectoryW(WideText::FromUtf8(parent).c_str());
    }

    std::vector<std::string> groups = log_.earlierGroups;
    if (!log_.groupExisted && !log_.group.empty())
        groups.push_back(log_.group);
    for (const std::string& group : groups)
        RemoveCreatedGroup(group);
}

// Only a folder strictly below a Programs folder, and only when empty.
void LoggedRemoval::RemoveCreatedGroup(const std::string& group)
{
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) {
        std::string programs = SpecialFolder::Path(csidl);
        if (programs.empty() || !FolderPath::IsInside(group, programs))
            continue;
        std::wstring wide = WideText::FromUtf8(group);
        DWORD attributes = ::GetFileAttributesW(wide.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
            ::RemoveDirectoryW(wide.c_str()))
            ::SHChangeNotify(SHCNE_RMDIR, SHCNF_PATHW | SHCNF_FLUSH, wide.c_str(), nullptr);
        return;
    }
}

bool LoggedRemoval::RemoveAll()
{
    bool complete = RemoveFiles();
    RemoveFolders();
    return complete;
}
