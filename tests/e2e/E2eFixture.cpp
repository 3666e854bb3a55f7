#include "E2eFixture.h"

#include "framework/WideText.h"
#include "remover/UninstallEntry.h"

#include "remover/InstallLog.h"

#include <tlhelp32.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "framework/RegKey.h"
#include "tools/SetupBuilder.h"

namespace e2e {
namespace {

const char* const kPlanted[] = {"comctl32", "uxtheme"};
const char kDllOverrides[] = "Software\\Wine\\DllOverrides";

std::string PlantedPath(const std::string& folder, const char* name)
{
    return folder + "\\" + name + ".dll";
}

} // namespace

std::string ReadBytes(const std::string& path)
{
    std::ostringstream bytes;
    bytes << std::ifstream(FsPath(path), std::ios::binary).rdbuf();
    return bytes.str();
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(FsPath(path), std::ios::binary) << bytes;
}

ULONGLONG WriteTime(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    FileApi::AttributeData(path, data);
    return ULONGLONG(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime;
}

std::vector<DWORD> Processes(const char* namePrefix)
{
    std::vector<DWORD> found;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    const std::wstring prefix(namePrefix, namePrefix + strlen(namePrefix));
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry))
        if (::_wcsnicmp(entry.szExeFile, prefix.c_str(), prefix.size()) == 0)
            found.push_back(entry.th32ProcessID);
    ::CloseHandle(snapshot);
    return found;
}

void PlantDlls(const std::string& folder)
{
    RegKey overrides;
    ASSERT_TRUE(overrides.Create(HKEY_CURRENT_USER, kDllOverrides));
    for (const char* name : kPlanted) {
        EXPECT_TRUE(overrides.SetString(name, "native,builtin"));
        EXPECT_TRUE(FileApi::Copy(WinPath(ORVANTA_PLANTED_DLL), PlantedPath(folder, name), false));
    }
}

int PlantedDllsRun(const std::string& folder)
{
    return int(std::count_if(std::begin(kPlanted), std::end(kPlanted),
                             [&](const char* name) { return Exists(PlantedPath(folder, name) + ".ran"); }));
}

void E2eTest::CleanProfile()
{
    // The uninstaller's copies end by themselves once their work is done; their folders
    // (with any DLLs planted there), left for the system to delete at the next start, stay.
    WaitUntil(kStepMs, [] { return Processes("Uninstall.exe").empty(); });
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::temp_directory_path(), ec))
        if (entry.path().filename().string().rfind("OrvantaUninstall-", 0) == 0)
            std::filesystem::remove_all(entry.path(), ec);
    RegKey overrides;
    for (const char* name : kPlanted)
        if (overrides.IsOpen() || overrides.Open(HKEY_CURRENT_USER, kDllOverrides, KEY_SET_VALUE))
            overrides.DeleteValue(name);
    RegKey::DeleteKey(HKEY_CURRENT_USER, InstallRecordKey::Path);
    const std::wstring entry = WideText::FromUtf8(UninstallEntry::Path);
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, entry.c_str(), UninstallEntry::MachineView, 0);
    ::RegDeleteKeyExW(HKEY_CURRENT_USER, entry.c_str(), 0, 0);
    for (const std::string& path :
         {WorkInstallFolder(), GroupFolder(kTitle), GroupFolder(kGroup), DesktopLink(), std::string(kDefaultDirectory)})
        std::filesystem::remove_all(FsPath(path), ec);
}

void E2eTest::ExpectCodePage()
{
    wchar_t wanted[16] = {};
    if (::GetEnvironmentVariableW(L"ORVANTA_E2E_CODE_PAGE", wanted, 16)) {
        ASSERT_EQ(std::to_wstring(::GetACP()), wanted) << "the code page Wine was given (ORVANTA_WINE_LOCALE)";
    }
}

std::string E2eTest::Pack(const std::string& name, const std::string& product, const std::string& lang)
{
    SetupInputs inputs{kSetupStub, product, lang, WinPath(ORVANTA_DEMO_DIR "/top_log.bmp"), scratch_.file(name + ".exe")};
    std::string error;
    EXPECT_TRUE(SetupBuilder::BuildSetup(inputs, error)) << error;
    return inputs.out;
}

void E2eTest::OpenAndConfirm(SetupDriver& d, const std::string& setup, const Choices& choices)
{
    auto go = [&](int button, int page) { return d.Press(button) && d.WaitForPage(page, kStepMs); };
    ASSERT_TRUE(d.Start(setup) && d.WaitForFrame(kStepMs) && d.WaitForPage(0, kStepMs)) << "no wizard";
    if (choices.onFirstPage) {
        ASSERT_NO_FATAL_FAILURE(choices.onFirstPage(d));
    }
    ASSERT_TRUE(choices.language == 0 || d.SelectListIndex(1006, choices.language));
    ASSERT_TRUE(go(1001, 1) && go(1001, 2));
    ASSERT_TRUE(d.Press(1010) && WaitUntil(kStepMs, [&] { return d.IsEnabled(1001); })) << "the licence accepted";
    ASSERT_TRUE(go(1001, 3));
    ASSERT_TRUE(choices.directory.empty() || d.SetText(1015, choices.directory));
    ASSERT_TRUE(d.Press(1001));
    if (choices.existingDirectory) {
        HWND box = d.WaitForMessageBox(kStepMs);
        ASSERT_TRUE(box && SetupDriver::Answer(box, IDYES)) << "the directory question";
    }
    ASSERT_TRUE(d.WaitForPage(4, kStepMs));
    ASSERT_TRUE(choices.group.empty() || d.SetText(1019, choices.group));
    ASSERT_TRUE(go(1001, 5) && d.Press(1001));
}

void E2eTest::EndsOn(SetupDriver& d, int page)
{
    ASSERT_TRUE(WaitUntil(kInstallMs, [&] { return d.CurrentPage() == 7 || d.CurrentPage() == 8; }));
    ASSERT_EQ(page, d.CurrentPage()) << "the run ended on the wrong page";
}

void E2eTest::Install(const std::string& setup, const Choices& choices, const std::string& finishText, bool launch)
{
    SetupDriver d;
    ASSERT_NO_FATAL_FAILURE(OpenAndConfirm(d, setup, choices));
    if (choices.onRun) {
        ASSERT_NO_FATAL_FAILURE(choices.onRun(d));
    }
    ASSERT_NO_FATAL_FAILURE(EndsOn(d, 7));
    // Pages take their texts when they paint.
    EXPECT_TRUE(finishText.empty() || WaitUntil(kStepMs, [&] { return d.Text(1017) == finishText; }));
    ASSERT_TRUE(WaitUntil(kStepMs, [&] { return d.IsChecked(1016); })) << "the launch box starts ticked";
    ASSERT_TRUE(launch || (d.Press(1016) && WaitUntil(kStepMs, [&] { return !d.IsChecked(1016); })));
    ASSERT_TRUE(d.Press(1003));
    ASSERT_TRUE(d.WaitForExit(kStepMs)) << "the setup did not end";
}

void E2eTest::ExpectInstalled(const std::string& directory, const std::string& group, const std::string& setup,
                              const std::string& product)
{
    std::vector<std::string> files = InstallReport::ListTree(product);
    for (const std::string& file : files)
        EXPECT_TRUE(file.back() == '\\' || ReadBytes(product + "\\" + file) == ReadBytes(directory + "\\" + file))
            << file << " differs from the product's";
    // The packer adds the generic uninstaller, the setup its install log, which names
    // every file of the product.
    files.push_back("Uninstall.exe");
    files.push_back(InstallLog::FileName);
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, InstallReport::ListTree(directory)) << directory;
    InstallLog log;
    ASSERT_TRUE(log.Load(directory));
    for (const std::string& file : files) {
        if (file.back() != '\\' && file != InstallLog::FileName) {
            EXPECT_EQ(1, std::count(log.files.begin(), log.files.end(), file)) << file << " is not in the log";
        }
    }

    // The [link] entries come before the application's and the uninstaller's shortcuts,
    // then the desktop's.
    const std::string folder = GroupFolder(group);
    EXPECT_EQ((std::vector<std::string>{"Licence.lnk", std::string(kTitle) + ".lnk", "Readme.lnk", "Uninstall.lnk"}),
              InstallReport::ListTree(folder));
    const std::string links[] = {folder + "\\Readme.lnk", folder + "\\Licence.lnk", folder + "\\" + kTitle + ".lnk",
                                 folder + "\\Uninstall.lnk", DesktopLink()};
    for (size_t i = 1; i < std::size(links); ++i)
        EXPECT_LE(WriteTime(links[i - 1]), WriteTime(links[i])) << links[i];

    std::string record;
    for (const char* name : {"InstallPath", "ProgramGroup", "DesktopName", "SetupName", "Repair", "Install"})
        record += InstallReport::RecordValue(name) + "|";
    EXPECT_EQ(directory + "|" + group + "|" + kTitle + "|" + kTitle + "|0|" + setup + "|", record);
    EXPECT_FALSE(Exists(WorkInstallFolder())) << "the working folder is cleaned at exit";
}

void E2eTest::ExpectRemoved(const std::string& directory)
{
    EXPECT_TRUE(WaitUntil(kInstallMs, [&] {
        return Processes("Uninstall.exe").empty() && !Exists(directory + "\\terminal.exe");
    }));
    EXPECT_EQ(std::vector<std::string>{"my notes.txt"}, InstallReport::ListTree(directory)) << "the user's own stays";
    EXPECT_FALSE(Exists(DesktopLink()));
    EXPECT_FALSE(InstallReport::RecordExists()) << "the record named this directory";
}

} // namespace e2e
