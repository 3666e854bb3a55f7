#include "uninstaller/ProductRemoval.h"

#include "framework/CFileFind.h"
#include "framework/ComPtr.h"
#include "framework/RegKey.h"
#include "framework/ScopedCoInit.h"
#include "framework/SpecialFolder.h"
#include "framework/WideText.h"
#include "remover/InstallRecordKey.h"
#include "uninstaller/ProductList.h"

#include <windows.h>
#include <shlobj.h>

namespace {

// Paths are compared as UTF-16: in code page 936 a trail byte may equal '\\'.
std::wstring FullPath(const std::string& path)
{
    if (path.empty())
        return std::wstring();
    std::wstring wide = WideText::FromAnsi(path);
    wchar_t full[MAX_PATH * 2];
    DWORD length = ::GetFullPathNameW(wide.c_str(), MAX_PATH * 2, full, nullptr);
    if (length == 0 || length >= MAX_PATH * 2)
        return std::wstring();
    std::wstring result(full, length);
    while (!result.empty() && result.back() == L'\\')
        result.pop_back();
    return result;
}

bool SamePrefix(const std::wstring& a, const std::wstring& b, size_t length)
{
    return WideText::SameIgnoringCase(a.c_str(), length, b.c_str(), length);
}

std::string LinkTarget(const std::string& linkPath)
{
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> file;
    wchar_t widePath[MAX_PATH] = {};
    if (FAILED(link.CreateInstance(CLSID_ShellLink, IID_IShellLinkA)) || FAILED(link.As(file, IID_IPersistFile)) ||
        !::MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, widePath, MAX_PATH) ||
        FAILED(file->Load(widePath, STGM_READ)))
        return std::string();
    char target[MAX_PATH] = {};
    if (link->GetPath(target, MAX_PATH, nullptr, 0) != S_OK)
        return std::string();
    return target;
}

} // namespace

ProductRemoval::ProductRemoval(const std::string& installDirectory) : installDirectory_(installDirectory)
{
}

bool ProductRemoval::IsInside(const std::string& path, const std::string& folder)
{
    std::wstring p = FullPath(path), f = FullPath(folder);
    return !f.empty() && p.size() > f.size() + 1 && p[f.size()] == L'\\' && SamePrefix(p, f, f.size());
}

bool ProductRemoval::IsSameFolder(const std::string& a, const std::string& b)
{
    std::wstring fa = FullPath(a), fb = FullPath(b);
    return !fa.empty() && fa.size() == fb.size() && SamePrefix(fa, fb, fa.size());
}

bool ProductRemoval::RemoveItems(const ProductList& list) const
{
    bool complete = true;
    for (const std::string& name : list.Files()) {
        std::string path = installDirectory_ + "\\" + name;
        DWORD attributes = ::GetFileAttributesA(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        // The setup gives files the attributes stored in the archive; read-only is one.
        if (attributes & FILE_ATTRIBUTE_READONLY)
            ::SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
        if (!::DeleteFileA(path.c_str()))
            complete = false;
    }
    const std::vector<std::string>& folders = list.Folders();
    for (auto it = folders.rbegin(); it != folders.rend(); ++it)
        ::RemoveDirectoryA((installDirectory_ + "\\" + *it).c_str());
    ::RemoveDirectoryA(installDirectory_.c_str());
    return complete;
}

bool ProductRemoval::RemoveLinksIn(const std::string& folder) const
{
    if (folder.empty())
        return false;
    std::vector<std::string> links;
    CFileFind finder;
    BOOL more = finder.FindFile((folder + "\\*.lnk").c_str());
    while (more) {
        more = finder.FindNextFile();
        if (!finder.IsDirectory())
            links.push_back(finder.GetFilePath());
    }
    finder.Close();
    bool removed = false;
    for (const std::string& link : links) {
        if (IsInside(LinkTarget(link), installDirectory_) && ::DeleteFileA(link.c_str()))
            removed = true;
    }
    return removed;
}

void ProductRemoval::RemoveShortcuts() const
{
    ScopedCoInit com;
    std::string programs = SpecialFolder::Path(CSIDL_COMMON_PROGRAMS);
    if (!programs.empty()) {
        RemoveLinksIn(programs);
        std::vector<std::string> groups;
        CFileFind finder;
        BOOL more = finder.FindFile((programs + "\\*").c_str());
        while (more) {
            more = finder.FindNextFile();
            if (finder.IsDirectory() && !finder.IsDots() && !finder.MatchesMask(FILE_ATTRIBUTE_REPARSE_POINT))
                groups.push_back(finder.GetFilePath());
        }
        finder.Close();
        for (const std::string& group : groups) {
            if (RemoveLinksIn(group) && ::RemoveDirectoryA(group.c_str()))
                ::SHChangeNotify(SHCNE_RMDIR, SHCNF_PATHA | SHCNF_FLUSH, group.c_str(), nullptr);
        }
    }
    for (int desktop : {CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY})
        RemoveLinksIn(SpecialFolder::Path(desktop));
}

void ProductRemoval::RemoveRecord() const
{
    RegKey key;
    std::string recorded;
    if (!key.Open(HKEY_CURRENT_USER, InstallRecordKey::Path) || !key.QueryString(InstallRecordKey::InstallPath, recorded) ||
        !IsSameFolder(recorded, installDirectory_))
        return;
    key.Close();
    InstallRecordKey::Delete();
}
