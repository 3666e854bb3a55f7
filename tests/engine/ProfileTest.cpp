#include "ProfileTest.h"

#include <shlwapi.h>

#include <algorithm>

#include "remover/InstallRecordKey.h"
#include "remover/Remover.h"


void ProfileTest::SetUp()
{
    ::CoInitialize(nullptr);
    frame = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ::SetWindowLongPtrA(frame, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::SetWindowLongPtrA(frame, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ProfileTest::FrameProc));
    Clean();
}

void ProfileTest::TearDown()
{
    Clean();
    ::DestroyWindow(frame);
    ::CoUninitialize();
}

void ProfileTest::Clean()
{
    engine.reset();
    Remover::DestroyInstance();
    ::SHDeleteKeyA(HKEY_CURRENT_USER, InstallRecordKey::Path);
    RemoveTree(UnpackFolder());
    for (const std::string& folder : {ShellFolder(CSIDL_COMMON_PROGRAMS), ShellFolder(CSIDL_DESKTOP)}) {
        for (const std::string& name : Entries(folder)) {
            if (name.rfind("OrvantaTest", 0) == 0)
                RemoveTree(folder + name);
        }
    }
    LanguageTable::Release();
}

InstallEngine& ProfileTest::NewEngine(const std::string& directory, std::string zip, const std::string& more)
{
    engine.reset();
    notices.clear();
    engine.reset(new InstallEngine(scratch.file("none.exe")));
    engine->SetFrameWindow(frame);
    engine->SetInstallDirectory(directory);
    engine->SetProgramGroup(kGroup);
    std::string langIni = UnpackFolder() + "\\lang.ini";
    ::CreateDirectoryA(UnpackFolder().c_str(), nullptr);
    std::reverse(zip.begin(), zip.end());
    if (!zip.empty())
        TestZip::Save(UnpackFolder() + "\\Orva.in", zip);
    TestZip::Save(langIni, std::string("[install]\r\ntitle=OrvantaTest Setup\r\ninstallname=") + kApp + "\r\n" + more);
    // The same path is rewritten within moments; the system must not serve its cached copy.
    ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, langIni.c_str());
    return *engine;
}

LRESULT CALLBACK ProfileTest::FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<ProfileTest*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    const auto* notice = reinterpret_cast<const ProgressNotice*>(lParam);
    if (message != WM_INSTALL_PROGRESS || !self || !notice)
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    self->notices.push_back({notice->code, notice->name, notice->chunkBytes, notice->size});
    // The reaction gets a copy: it may send further notices, which grow the list.
    if (self->onNotice)
        self->onNotice(RecordedNotice(self->notices.back()));
    return 0;
}

std::string ProfileTest::Outline() const
{
    static const char* const names[] = {"?", "chunk", "begin", "end", "cancel", "total", "done", "failed"};
    std::string outline;
    for (size_t i = 0; i < notices.size(); ++i) {
        int32_t code = notices[i].code;
        if (code != NoticeChunk || i == 0 || notices[i - 1].code != NoticeChunk)
            outline += std::string(outline.empty() ? "" : " ") + (code >= 0 && code <= 7 ? names[code] : "?");
    }
    return outline;
}

std::vector<int32_t> ProfileTest::Values(int32_t code) const
{
    std::vector<int32_t> values;
    for (const RecordedNotice& notice : notices) {
        if (notice.code == code)
            values.push_back(code == NoticeChunk ? notice.chunkBytes : notice.size);
    }
    return values;
}

std::string ProfileTest::ShellFolder(int csidl)
{
    char path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return std::string();
    return std::string(path) + "\\";
}

bool ProfileTest::RecordExists()
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, InstallRecordKey::Path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

void ProfileTest::CreateRecord(const std::vector<std::pair<std::string, std::string>>& values)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyA(HKEY_CURRENT_USER, InstallRecordKey::Path, &key));
    for (const auto& value : values)
        ::RegSetValueExA(key, value.first.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.second.c_str()),
                         DWORD(value.second.size() + 1));
    ::RegCloseKey(key);
}

std::string ProfileTest::RecordValue(const std::string& name)
{
    char data[1024] = {};
    DWORD size = sizeof(data) - 1;
    LONG status = ::RegGetValueA(HKEY_CURRENT_USER, InstallRecordKey::Path, name.c_str(), RRF_RT_REG_SZ, nullptr, data, &size);
    return status == ERROR_SUCCESS ? data : "<absent>";
}

std::vector<std::string> ProfileTest::Entries(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool ProfileTest::MakeTree(const std::string& root, const std::vector<std::string>& entries)
{
    bool ok = Exists(root) || ::CreateDirectoryA(root.c_str(), nullptr);
    for (const std::string& entry : entries) {
        std::string path = root + "\\" + entry;
        if (path.back() == '\\')
            ok = ok && ::CreateDirectoryA(path.substr(0, path.size() - 1).c_str(), nullptr);
        else
            ok = ok && TestZip::Save(path, entry);
    }
    return ok;
}
