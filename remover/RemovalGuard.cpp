#include "remover/RemovalGuard.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cwctype>
#include <vector>

#include "framework/WideText.h"
#include "remover/FolderPath.h"
#include "remover/LocalShare.h"
#include "remover/ProfileFolders.h"

namespace {

bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

bool IsAbsoluteWide(const std::wstring& p)
{
    if (p.size() >= 3 && iswalpha(p[0]) && p[1] == L':' && IsSeparator(p[2]))
        return true;
    // "\\server\share": two separators, then a server name that is not '?' or '.'.
    return p.size() >= 5 && IsSeparator(p[0]) && IsSeparator(p[1]) && !IsSeparator(p[2]);
}

bool IsDevicePath(const std::wstring& p)
{
    return p.size() >= 4 && IsSeparator(p[0]) && IsSeparator(p[1]) && (p[2] == L'?' || p[2] == L'.') &&
           IsSeparator(p[3]);
}

// The full, long form without trailing separators; empty when it cannot be formed.
std::wstring Canonical(const std::wstring& path)
{
    std::wstring full(MAX_PATH, L'\0');
    DWORD n = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
    if (n >= full.size()) {
        full.assign(n + 1, L'\0');
        n = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
    }
    if (n == 0 || n >= full.size())
        return std::wstring();
    full.resize(n);
    // Short 8.3 names ("PROGRA~1") resolve only for existing paths; others stay as they are.
    std::wstring longer(full.size() + MAX_PATH, L'\0');
    DWORD m = ::GetLongPathNameW(full.c_str(), &longer[0], static_cast<DWORD>(longer.size()));
    if (m > 0 && m < longer.size()) {
        longer.resize(m);
        full = longer;
    }
    while (!full.empty() && IsSeparator(full.back()))
        full.pop_back();
    return full;
}

// The path after every link, junction and substituted drive on the way, in the same
// plain form as Canonical: the final path of the deepest part that exists, followed by
// the rest. Empty when no part of it can be resolved.
std::wstring FinalPath(const std::wstring& canonical)
{
    return FolderPath::FinalWide(canonical);
}

// A path on a substituted drive ("subst Q: C:\Windows") as a path on the drive it stands
// for; other paths unchanged.
std::wstring Unsubstituted(std::wstring path)
{
    for (int depth = 0; depth < 8 && path.size() >= 2 && path[1] == L':'; ++depth) {
        wchar_t device[3] = {path[0], L':', L'\0'};
        wchar_t target[MAX_PATH + 8] = L"";
        if (!::QueryDosDeviceW(device, target, MAX_PATH + 8))
            break;
        std::wstring to = target;
        // A substitution's target is the prefix of DOS names followed by the path it stands
        // for; a real drive names a device instead.
        if (to.size() < 6 || to.compare(0, 4, L"\\?" L"?\\") != 0 || to[5] != L':')
            break;
        path = to.substr(4) + path.substr(2);
    }
    return path;
}

// True when `path` is `known` or a folder above it.
bool IsSameOrAbove(const std::wstring& path, const std::wstring& known)
{
    if (known.size() < path.size() || !WideText::SameIgnoringCase(path.data(), path.size(), known.data(), path.size()))
        return false;
    return known.size() == path.size() || known[path.size()] == L'\\';
}

// True when `path` is a folder directly inside `folder`.
bool IsChildOf(const std::wstring& path, const std::wstring& folder)
{
    size_t cut = path.rfind(L'\\');
    return cut != std::wstring::npos && cut + 1 < path.size() &&
           WideText::SameIgnoringCase(path.data(), cut, folder.data(), folder.size());
}

bool IsVolumeRoot(const std::wstring& canonical)
{
    if (canonical.size() <= 2)
        return true;  // "C:" (or anything shorter, which no absolute path becomes)
    if (canonical[0] != L'\\' || canonical[1] != L'\\')
        return false;
    // "\\server\share" has exactly one separator after the server name.
    size_t parts = 0;
    for (size_t i = 2; i < canonical.size(); ++i)
        if (canonical[i] == L'\\')
            ++parts;
    return parts < 2;
}

// The Downloads folder has no CSIDL; its known-folder id, spelled out so that no GUID
// library is needed.
const GUID kDownloadsFolder = {0x374de290, 0x123f, 0x4565, {0x91, 0x64, 0x39, 0xc4, 0x92, 0x5e, 0x46, 0x7b}};

// A known folder in both its text form and, when it exists, its final form: a link or a
// substituted drive must not make it look like some other folder.
void AddForms(std::vector<std::wstring>& result, const std::wstring& folder)
{
    std::wstring canonical = Canonical(folder);
    if (canonical.empty())
        return;
    result.push_back(canonical);
    std::wstring final = FinalPath(canonical);
    if (!final.empty() && !WideText::SameIgnoringCase(final.data(), final.size(), canonical.data(), canonical.size()))
        result.push_back(final);
}

// The folders inside which nothing is ever removed: the Windows and system folders.
std::vector<std::wstring> SystemFolders()
{
    std::vector<std::wstring> result;
    wchar_t buffer[MAX_PATH];
    for (int csidl : {CSIDL_WINDOWS, CSIDL_SYSTEM, CSIDL_SYSTEMX86}) {
        if (SUCCEEDED(::SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_DONT_VERIFY, nullptr, SHGFP_TYPE_CURRENT, buffer)))
            AddForms(result, buffer);
    }
    return result;
}

std::vector<std::wstring> WellKnownFolders()
{
    static const int kFolders[] = {
        CSIDL_WINDOWS, CSIDL_SYSTEM, CSIDL_SYSTEMX86, CSIDL_FONTS,
        CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES_COMMON, CSIDL_PROGRAM_FILES_COMMONX86,
        CSIDL_PROFILE, CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_PERSONAL,
        CSIDL_COMMON_DOCUMENTS, CSIDL_MYMUSIC, CSIDL_MYPICTURES, CSIDL_MYVIDEO, CSIDL_FAVORITES,
        CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS, CSIDL_STARTMENU, CSIDL_COMMON_STARTMENU,
        CSIDL_STARTUP, CSIDL_COMMON_STARTUP, CSIDL_APPDATA, CSIDL_LOCAL_APPDATA, CSIDL_COMMON_APPDATA,
        CSIDL_TEMPLATES, CSIDL_COMMON_TEMPLATES,
    };
    std::vector<std::wstring> folders;
    wchar_t buffer[MAX_PATH];
    for (int csidl : kFolders) {
        if (SUCCEEDED(::SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_DONT_VERIFY, nullptr, SHGFP_TYPE_CURRENT, buffer)))
            folders.push_back(buffer);
    }
    DWORD n = ::GetTempPathW(MAX_PATH, buffer);
    if (n > 0 && n < MAX_PATH)
        folders.push_back(buffer);
    PWSTR downloads = nullptr;
    if (SUCCEEDED(::SHGetKnownFolderPath(kDownloadsFolder, KF_FLAG_DONT_VERIFY, nullptr, &downloads)) && downloads)
        folders.push_back(downloads);
    ::CoTaskMemFree(downloads);
    for (const std::wstring& profile : ProfileFolders::Profiles())
        folders.push_back(profile);
    std::wstring profiles = ProfileFolders::ProfilesDirectory();
    if (!profiles.empty())
        folders.push_back(profiles);
    std::vector<std::wstring> result;
    for (const std::wstring& folder : folders)
        AddForms(result, folder);
    return result;
}

// Folders whose every direct child is somebody's whole: a user's profile in the profiles
// folder.
std::vector<std::wstring> ParentsOfWholes()
{
    std::vector<std::wstring> result;
    std::wstring profiles = ProfileFolders::ProfilesDirectory();
    if (!profiles.empty())
        AddForms(result, profiles);
    return result;
}

// Folders whose direct children belong to one vendor or product each: both Program Files
// and their common files, and the user's and the all-users Programs folders.
std::vector<std::wstring> ParentsOfProducts()
{
    std::vector<std::wstring> result;
    wchar_t buffer[MAX_PATH];
    for (int csidl : {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES_COMMON,
                      CSIDL_PROGRAM_FILES_COMMONX86, CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) {
        if (SUCCEEDED(::SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_DONT_VERIFY, nullptr, SHGFP_TYPE_CURRENT, buffer)))
            AddForms(result, buffer);
    }
    return result;
}

// Every form the path takes: its text, its final form through links and junctions, its
// form on the drive a substituted drive stands for, and the local form of a share of this
// computer's drive. Each new form is followed in turn (a share's path may lead through a
// link), a bounded number of times.
std::vector<std::wstring> Forms(const std::wstring& canonical)
{
    std::vector<std::wstring> forms = {canonical};
    for (size_t i = 0; i < forms.size() && forms.size() < 16; ++i) {
        std::wstring local = LocalShare::LocalPath(forms[i]);
        for (const std::wstring& next : {FinalPath(forms[i]), Canonical(Unsubstituted(forms[i])),
                                         local.empty() ? local : Canonical(local)}) {
            bool known = std::any_of(forms.begin(), forms.end(), [&](const std::wstring& form) {
                return WideText::SameIgnoringCase(form, next);
            });
            if (!next.empty() && !known)
                forms.push_back(next);
        }
    }
    return forms;
}

// The forms of a path that is no empty, relative, device or stream path; none for those.
std::vector<std::wstring> FormsOfAbsolute(const std::string& path)
{
    std::wstring wide = WideText::FromUtf8(path);
    if (wide.empty() || IsDevicePath(wide) || !IsAbsoluteWide(wide))
        return {};
    // A colon past the drive names a stream of a file or folder ("C:\Windows::$INDEX_ALLOCATION"
    // is the Windows folder itself), never a folder of its own.
    if (wide.find(L':', IsSeparator(wide[0]) ? 0 : 2) != std::wstring::npos)
        return {};
    std::wstring canonical = Canonical(wide);
    return canonical.empty() ? std::vector<std::wstring>() : Forms(canonical);
}

bool RefusesAnyForm(const std::vector<std::wstring>& forms)
{
    if (forms.empty())
        return true;
    std::vector<std::wstring> known = WellKnownFolders(), system = SystemFolders(), wholes = ParentsOfWholes();
    for (const std::wstring& form : forms) {
        if (IsVolumeRoot(form))
            return true;
        for (const std::wstring& folder : known) {
            if (IsSameOrAbove(form, folder))
                return true;
        }
        for (const std::wstring& folder : system) {
            if (IsSameOrAbove(folder, form))
                return true;
        }
        for (const std::wstring& folder : wholes) {
            if (IsChildOf(form, folder))
                return true;
        }
    }
    return false;
}

} // namespace

bool RemovalGuard::IsAbsolute(const std::string& path)
{
    std::wstring wide = WideText::FromUtf8(path);
    return !IsDevicePath(wide) && IsAbsoluteWide(wide);
}

// Every form is checked, so a link, a junction, a substituted drive or a share of this
// computer that leads into a refused folder is refused too.
bool RemovalGuard::Refuses(const std::string& path)
{
    return RefusesAnyForm(FormsOfAbsolute(path));
}

bool RemovalGuard::RefusesTree(const std::string& path)
{
    std::vector<std::wstring> forms = FormsOfAbsolute(path);
    if (RefusesAnyForm(forms))
        return true;
    std::vector<std::wstring> parents = ParentsOfProducts();
    for (const std::wstring& form : forms) {
        for (const std::wstring& folder : parents) {
            if (IsChildOf(form, folder))
                return true;
        }
    }
    return false;
}

bool RemovalGuard::IsNameBelow(const std::string& name)
{
    std::wstring wide = WideText::FromUtf8(name);
    if (wide.empty() || IsSeparator(wide[0]) || wide.find(L':') != std::wstring::npos)
        return false;
    size_t start = 0;
    while (start <= wide.size()) {
        size_t end = start;
        while (end < wide.size() && !IsSeparator(wide[end]))
            ++end;
        std::wstring part = wide.substr(start, end - start);
        // Windows drops trailing dots and spaces from a name, so "..." and ".. " mean "..".
        size_t kept = part.find_last_not_of(L". ");
        if (!part.empty() && kept == std::wstring::npos && part.find(L"..") != std::wstring::npos)
            return false;
        start = end + 1;
    }
    return true;
}
