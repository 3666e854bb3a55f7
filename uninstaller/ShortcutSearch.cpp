#include "uninstaller/ShortcutSearch.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include "framework/CFileFind.h"
#include "framework/FileApi.h"
#include "framework/ScopedCoInit.h"
#include "framework/ShellLinkTarget.h"
#include "framework/SpecialFolder.h"
#include "framework/WideText.h"
#include "remover/FolderPath.h"

namespace {

bool IsLinkName(const std::string& name)
{
    return name.size() > 4 && WideText::SameIgnoringCase(name.substr(name.size() - 4), ".lnk");
}

} // namespace

ShortcutSearch::ShortcutSearch(const std::string& installDirectory, const std::vector<std::string>& files)
{
    for (const std::string& file : files) {
        std::wstring full = FolderPath::Full(installDirectory + "\\" + file);
        if (!full.empty())
            files_.push_back(full);
    }
}

bool ShortcutSearch::IsProductFile(const std::string& path) const
{
    std::wstring full = FolderPath::Full(path);
    return !full.empty() && std::any_of(files_.begin(), files_.end(), [&](const std::wstring& file) {
        return WideText::SameIgnoringCase(file, full);
    });
}

bool ShortcutSearch::RemoveBelow(const std::string& folder, bool deep) const
{
    std::vector<std::string> links, folders;
    CFileFind finder;
    BOOL more = finder.FindFile((folder + "\\*").c_str());
    while (more) {
        more = finder.FindNextFile();
        if (finder.IsDots() || finder.MatchesMask(FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        if (finder.IsDirectory() && deep)
            folders.push_back(finder.GetFilePath());
        else if (!finder.IsDirectory() && IsLinkName(finder.GetFileName()))
            links.push_back(finder.GetFilePath());
    }
    finder.Close();
    bool removed = false;
    for (const std::string& link : links) {
        if (IsProductFile(ShellLinkTarget::Read(link)) && FileApi::RemoveFile(link))
            removed = true;
    }
    for (const std::string& below : folders) {
        if (!RemoveBelow(below, true))
            continue;
        removed = true;
        if (FileApi::RemoveFolder(below))
            ::SHChangeNotify(SHCNE_RMDIR, SHCNF_PATHW | SHCNF_FLUSH, WideText::FromUtf8(below).c_str(), nullptr);
    }
    return removed;
}

void ShortcutSearch::RemoveAll() const
{
    ScopedCoInit com;
    for (int csidl : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_DESKTOPDIRECTORY}) {
        std::string folder = SpecialFolder::Path(csidl);
        if (!folder.empty())
            RemoveBelow(folder, csidl == CSIDL_COMMON_PROGRAMS || csidl == CSIDL_PROGRAMS);
    }
}
