#include "ProfileTest.h"

#include <shlobj.h>
#include <shlwapi.h>
#include <shobjidl.h>

#include <algorithm>
#include <filesystem>

#include "TestZip.h"
#include "i18n/LanguageTable.h"
#include "remover/Remover.h"

namespace {

const char kRecordKey[] = "Software\\Orvanta";

std::string ShellFolder(int csidl)
{
    char path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return std::string();
    return std::string(path) + "\\";
}

} // namespace

void ProfileTest::SetUp()
{
    ::CoInitialize(nullptr);
    // Runs without a lang.ini of their own use the built-in application name.
    Owns(std::string(), "Orvanta 4.00");
    DeleteRecord();
    RemoveTree(UnpackFolder());
}

void ProfileTest::TearDown()
{
    Remover::DestroyInstance();
    DeleteRecord();
    RemoveTree(UnpackFolder());
    for (const std::string& group : groups) {
        if (!group.empty())
            RemoveTree(ProgramsFolder() + group);
    }
    for (const std::string& link : desktopLinks)
        ::DeleteFileA((DesktopFolder() + link + ".lnk").c_str());
    LanguageTable::Release();
    ::CoUninitialize();
}

void ProfileTest::Owns(const std::string& group, const std::string& desktopLink)
{
    groups.push_back(group);
    desktopLinks.push_back(desktopLink);
}

std::string ProfileTest::WorkFolder()
{
    return LanguageTable::GetWorkFolder();
}

std::string ProfileTest::UnpackFolder()
{
    return WorkFolder() + "install";
}

std::string ProfileTest::ProgramsFolder()
{
    return ShellFolder(CSIDL_COMMON_PROGRAMS);
}

std::string ProfileTest::DesktopFolder()
{
    return ShellFolder(CSIDL_DESKTOP);
}

void ProfileTest::PutPayload(const std::string& zipBytes)
{
    ::CreateDirectoryA(UnpackFolder().c_str(), nullptr);
    ASSERT_TRUE(TestZip::Save(UnpackFolder() + "\\Orva.in", TestZip::Reversed(zipBytes)));
}

void ProfileTest::PutLangIni(const std::string& text)
{
    ::CreateDirectoryA(UnpackFolder().c_str(), nullptr);
    ASSERT_TRUE(TestZip::Save(UnpackFolder() + "\\lang.ini", text));
    // Tests rewrite this file at the same path within moments; drop the system's cached
    // copy so the next read cannot be served the previous test's content.
    ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, (UnpackFolder() + "\\lang.ini").c_str());
}

void ProfileTest::DeleteRecord()
{
    ::SHDeleteKeyA(HKEY_CURRENT_USER, kRecordKey);
}

bool ProfileTest::RecordExists()
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kRecordKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

void ProfileTest::CreateRecord(const std::vector<std::pair<std::string, std::string>>& values)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CURRENT_USER, kRecordKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                               KEY_ALL_ACCESS, nullptr, &key, nullptr));
    for (const auto& value : values) {
        ::RegSetValueExA(key, value.first.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.second.c_str()),
                         DWORD(value.second.size() + 1));
    }
    ::RegCloseKey(key);
}

std::vector<std::string> ProfileTest::RecordValueNames()
{
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kRecordKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return names;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD length = sizeof(name);
        if (::RegEnumValueA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    ::RegCloseKey(key);
    return names;
}

std::string ProfileTest::RecordValue(const std::string& name)
{
    char data[1024] = {};
    DWORD size = sizeof(data) - 1;
    if (::RegGetValueA(HKEY_CURRENT_USER, kRecordKey, name.c_str(), RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return "<absent>";
    return data;
}

LinkInfo ProfileTest::ReadLink(const std::string& path)
{
    LinkInfo info;
    IShellLinkA* link = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void**>(&link))))
        return info;
    IPersistFile* file = nullptr;
    WCHAR wide[MAX_PATH * 2] = {};
    ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH * 2);
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))
        && SUCCEEDED(file->Load(wide, STGM_READ))) {
        info.loaded = true;
        char buffer[MAX_PATH] = {};
        if (SUCCEEDED(link->GetPath(buffer, MAX_PATH, nullptr, SLGP_RAWPATH)))
            info.path = buffer;
        buffer[0] = '\0';
        if (SUCCEEDED(link->GetIconLocation(buffer, MAX_PATH, &info.iconIndex)))
            info.iconPath = buffer;
        link->GetHotkey(&info.hotkey);
    }
    if (file)
        file->Release();
    link->Release();
    return info;
}

std::vector<std::string> ProfileTest::Entries(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = data.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

bool ProfileTest::Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ProfileTest::ReadFileText(const std::string& path)
{
    return TestZip::Load(path);
}

void ProfileTest::RemoveTree(const std::string& path)
{
    std::error_code error;
    std::filesystem::remove_all(std::filesystem::path(path), error);
}
