#include "remover/ProfileFolders.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>

namespace {

const wchar_t kProfileList[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

} // namespace

std::vector<std::wstring> ProfileFolders::Profiles()
{
    std::vector<std::wstring> profiles;
    HKEY list = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProfileList, 0, KEY_READ, &list) != ERROR_SUCCESS)
        return profiles;
    for (DWORD index = 0;; ++index) {
        wchar_t sid[256];
        DWORD length = 256;
        LONG status = ::RegEnumKeyExW(list, index, sid, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA)
            continue;  // no security identifier is that long
        if (status != ERROR_SUCCESS)
            break;
        std::wstring path = ReadPath(sid, L"ProfileImagePath");
        if (!path.empty())
            profiles.push_back(path);
    }
    ::RegCloseKey(list);
    for (const wchar_t* value : {L"Default", L"Public"}) {
        std::wstring path = ReadPath(nullptr, value);
        if (!path.empty())
            profiles.push_back(path);
    }
    return profiles;
}

std::wstring ProfileFolders::ProfilesDirectory()
{
    return ReadPath(nullptr, L"ProfilesDirectory");
}

// The system writes these as REG_EXPAND_SZ ("%SystemDrive%\Users"), some tools as REG_SZ;
// asked for as REG_SZ, the first comes expanded. Older systems kept names relative to the profiles
// folder under the same values; such a name is no path of its own.
std::wstring ProfileFolders::ReadPath(const wchar_t* subkey, const wchar_t* value)
{
    std::wstring key = kProfileList;
    if (subkey)
        key += std::wstring(L"\\") + subkey;
    // An expanded value may be longer than the stored one, so a short buffer grows.
    const DWORD flags = RRF_RT_REG_SZ;
    std::wstring path(MAX_PATH, L'\0');
    LONG status = ERROR_MORE_DATA;
    for (int attempt = 0; attempt < 4 && status == ERROR_MORE_DATA; ++attempt) {
        DWORD bytes = DWORD(path.size() * sizeof(wchar_t));
        status = ::RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), value, flags, nullptr, &path[0], &bytes);
        if (status == ERROR_MORE_DATA)
            path.assign(std::max<size_t>(path.size() * 2, bytes / sizeof(wchar_t) + 1), L'\0');
    }
    if (status != ERROR_SUCCESS)
        return std::wstring();
    size_t end = path.find(L'\0');
    if (end != std::wstring::npos)
        path.resize(end);
    bool absolute = (path.size() >= 3 && iswalpha(path[0]) && path[1] == L':' && path[2] == L'\\') ||
                    (path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\');
    return absolute ? path : std::wstring();
}
