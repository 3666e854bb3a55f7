// The real, packed setup.exe installing the demo product, driven from outside as a person
// would, and the Uninstall.exe the packer added removing it again.
#include "E2eFixture.h"

#include "framework/ComPtr.h"
#include "framework/ScopedCoInit.h"

#include <shlobj.h>

#include <filesystem>

namespace e2e {
namespace {

// Code page 936 bytes of the built-in texts the Chinese run checks.
const std::string kNextZh = "\xCF\xC2\xD2\xBB\xB2\xBD >";                 // 下一步 >
const std::string kBackZh = "< \xC9\xCF\xD2\xBB\xB2\xBD";                 // < 上一步
const std::string kCancelZh = "\xB7\xC5\xC6\xFA";                         // 放弃
const std::string kFinishZh =                                             // 已经安装完成. / 请按确定键来离开安装程序
    "Orvanta 4.00\xD2\xD1\xBE\xAD\xB0\xB2\xD7\xB0\xCD\xEA\xB3\xC9.\r\n"
    "\xC7\xEB\xB0\xB4\xC8\xB7\xB6\xA8\xBC\xFC\xC0\xB4\xC0\xEB\xBF\xAA\xB0\xB2\xD7\xB0\xB3\xCC\xD0\xF2";
const std::string kChineseName = "\xBC\xF2\xCC\xE5\xD6\xD0\xCE\xC4";     // 简体中文

// Ends the process and tells the image it ran.
std::string EndProcess(DWORD processId)
{
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
    char path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (process) {
        ::QueryFullProcessImageNameA(process, 0, path, &size);
        ::TerminateProcess(process, 0);
        ::WaitForSingleObject(process, 10000);
        ::CloseHandle(process);
    }
    return path;
}

// DLLs someone left where a program starts (copies of planted.dll, each leaving
// "<name>.ran" when loaded): comctl32, which the wizard needs, and a helper that a system
// DLL loads later (comctl32 loads uxtheme). Meanwhile Wine prefers such native copies,
// as Windows does for every DLL that is not a known DLL; Wine takes that order from its
// registry at each program's start (a child does not take WINEDLLOVERRIDES from us).
class PlantedDlls {
public:
    explicit PlantedDlls(std::vector<std::string> folders) : folders_(std::move(folders))
    {
        for (const char* name : kNames) {
            EXPECT_EQ(ERROR_SUCCESS, ::RegSetKeyValueA(HKEY_CURRENT_USER, kOverrides, name, REG_SZ, "native,builtin", 15));
            for (const std::string& folder : folders_)
                EXPECT_TRUE(::CopyFileA(PlantedDll().c_str(), Path(folder, name).c_str(), FALSE)) << Path(folder, name);
        }
    }
    ~PlantedDlls()
    {
        for (const char* name : kNames) {
            ::RegDeleteKeyValueA(HKEY_CURRENT_USER, kOverrides, name);
            for (const std::string& folder : folders_) {
                ::DeleteFileA(Path(folder, name).c_str());
                ::DeleteFileA((Path(folder, name) + ".ran").c_str());
            }
        }
    }
    // The planted DLLs that something loaded.
    std::vector<std::string> Ran() const
    {
        std::vector<std::string> ran;
        for (const char* name : kNames)
            for (const std::string& folder : folders_)
                if (Exists(Path(folder, name) + ".ran"))
                    ran.push_back(Path(folder, name));
        return ran;
    }

private:
    static constexpr const char* kNames[] = {"comctl32", "uxtheme"};
    static constexpr const char* kOverrides = "Software\\Wine\\DllOverrides";
    static std::string Path(const std::string& folder, const char* name) { return folder + "\\" + name + ".dll"; }

    std::vector<std::string> folders_;
};

std::string TempFolder()
{
    char temp[MAX_PATH] = {};
    DWORD length = ::GetTempPathA(MAX_PATH, temp);
    return std::string(temp, length > 0 && temp[length - 1] == '\\' ? length - 1 : length);
}

using InstallTest = E2eTest;

// A shortcut of another product's, to a program outside every install directory.
bool MakeOtherLink(const std::string& path)
{
    ScopedCoInit com;
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> file;
    wchar_t wide[MAX_PATH] = {};
    return SUCCEEDED(link.CreateInstance(CLSID_ShellLink, IID_IShellLinkA)) &&
           SUCCEEDED(link->SetPath("C:\\windows\\notepad.exe")) && SUCCEEDED(link.As(file, IID_IPersistFile)) &&
           ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) && SUCCEEDED(file->Save(wide, TRUE));
}

// In Chinese into the proposed places. A second setup meanwhile gets one warning with the
// title of its own container and no wizard, and leaves the first's working folder and the
// record alone. Then a removal interrupted (Repair = 1, files and group gone) is repaired
// by the next start without a question, and Uninstall.exe removes all after its question,
// the record too, since it names this directory; its copy in the temporary folder loads
// none of the DLLs planted there.
TEST_F(InstallTest, ChineseWithASecondInstanceRepairedThenRemovedAfterItsQuestion)
{
    std::string setup = Pack("setup-zh");
    std::string lang = scratch_.file("lang.ini");
    WriteBytes(lang, "[install]\r\ntitle=Second Setup Title\r\n");
    std::string other = Pack("setup-second", DemoProduct(), lang);
    SetupDriver d;
    ASSERT_TRUE(Open(d, setup));
    EXPECT_EQ((std::vector<std::string>{kChineseName, "English"}), d.ListItems(1006));
    auto workState = [this] {
        std::string state;
        for (const std::string& file : {WorkInstallFolder() + "\\lang.ini", WorkInstallFolder() + "\\Orva.in"})
            state += ReadBytes(file) + std::to_string(WriteTime(file));
        return state;
    };
    std::string before = workState();
    EXPECT_TRUE(Exists(WorkInstallFolder() + "\\lang.ini")) << "the container is unpacked while the wizard runs";
    size_t privateFolders = TempEntries("orvanta-title-").size();
    SetupDriver second;
    ASSERT_TRUE(second.Start(other));
    HWND box = second.WaitForMessageBox(kStepMs);
    ASSERT_TRUE(box) << "no warning";
    EXPECT_EQ("Second Setup Title", SetupDriver::WindowText(box));
    EXPECT_EQ("Another instance of Second Setup Title setup is running", SetupDriver::MessageBoxText(box));
    EXPECT_FALSE(second.WaitForFrame(0)) << "no second wizard";
    ASSERT_TRUE(SetupDriver::Answer(box, IDOK));
    EXPECT_TRUE(second.WaitForExit(kStepMs));
    EXPECT_EQ(before, workState()) << "the refused instance left the working folder alone";
    EXPECT_FALSE(InstallReport::RecordExists());
    EXPECT_EQ(privateFolders, TempEntries("orvanta-title-").size()) << "its private folder is gone";

    ASSERT_NO_FATAL_FAILURE(WalkToConfirm(d, Choices()));
    ExpectText(d, 1001, kNextZh);
    ExpectText(d, 1002, kBackZh);
    ExpectText(d, 1003, kCancelZh);
    ASSERT_TRUE(d.Press(1001));
    ASSERT_NO_FATAL_FAILURE(EndsOn(d, 7));
    ExpectText(d, 1017, kFinishZh);
    ASSERT_NO_FATAL_FAILURE(LeaveFinishPage(d, false));
    EXPECT_TRUE(Processes("terminal.exe").empty()) << "the unticked launch box starts nothing";
    ExpectInstalled(kDefaultDirectory, kTitle, setup);

    std::error_code ec;
    std::filesystem::remove(std::string(kDefaultDirectory) + "\\terminal.exe", ec);
    std::filesystem::remove_all(GroupFolder(kTitle), ec);
    ASSERT_EQ(ERROR_SUCCESS,
              ::RegSetKeyValueA(HKEY_CURRENT_USER, InstallRecordKey::Path, InstallRecordKey::Repair, REG_SZ, "1", 2));
    SetupDriver repair;
    ASSERT_TRUE(repair.Start(setup));
    ASSERT_TRUE(repair.WaitForFrame(kStepMs));
    ASSERT_TRUE(WaitUntil(kStepMs, [&] { return repair.CurrentPage() >= 0; }));
    EXPECT_GE(repair.CurrentPage(), 6) << "opened on page " << repair.CurrentPage();
    ASSERT_NO_FATAL_FAILURE(EndsOn(repair, 7));
    ASSERT_NO_FATAL_FAILURE(LeaveFinishPage(repair, false));
    ExpectInstalled(kDefaultDirectory, kTitle, setup);

    // Its copy in the temporary folder shows the report, beside DLLs planted there.
    PlantedDlls planted({TempFolder()});
    SetupDriver uninstaller;
    ASSERT_TRUE(uninstaller.Start(std::string(kDefaultDirectory) + "\\Uninstall.exe"));
    HWND question = uninstaller.WaitForMessageBox(kStepMs);
    ASSERT_TRUE(question) << "no question";
    EXPECT_EQ(kTitle, SetupDriver::WindowText(question));
    EXPECT_EQ(kUninstallQuestionZh + "\r\n\r\n" + kDefaultDirectory, SetupDriver::MessageBoxText(question));
    ASSERT_TRUE(SetupDriver::Answer(question, IDYES));
    EXPECT_TRUE(uninstaller.WaitForExit(kStepMs));
    HWND done = nullptr;
    ASSERT_TRUE(WaitUntil(kInstallMs, [&] { return (done = SetupDriver::FindMessageBox(0)) != nullptr; })) << "no report";
    EXPECT_EQ(kUninstalledZh, SetupDriver::MessageBoxText(done));
    ASSERT_TRUE(SetupDriver::Answer(done, IDOK));
    ExpectRemoved(kDefaultDirectory);
    EXPECT_FALSE(InstallReport::RecordExists()) << "the record named this directory";
    EXPECT_FALSE(Exists(GroupFolder(kTitle)));
    EXPECT_FALSE(Exists(kDefaultDirectory));
    EXPECT_EQ(std::vector<std::string>(), planted.Ran());
}

// The publisher's signed setup, started from a downloads folder where DLLs were planted,
// loads none of them and installs.
TEST_F(InstallTest, SignedEnglishThroughTheGatesIntoTypedPlacesLaunchedThenRemovedSilently)
{
    std::string downloads = scratch_.file("Downloads");
    ASSERT_TRUE(::CreateDirectoryA(downloads.c_str(), nullptr));
    std::string setup = downloads + "\\OrvantaSetup.exe";
    ASSERT_TRUE(::CopyFileA((SignedSetupDir() + "\\signed.exe").c_str(), setup.c_str(), FALSE))
        << "made by the e2e_signed_setup test";
    PlantedDlls planted({downloads});
    std::string existing = scratch_.file("existing");
    ASSERT_TRUE(::CreateDirectoryA(existing.c_str(), nullptr));
    std::string deep = scratch_.file("new\\parents\\Orvanta");
    SetupDriver d;
    ASSERT_TRUE(Open(d, setup)) << planted.Ran().size() << " planted DLLs ran";
    ASSERT_TRUE(d.SelectListIndex(1006, 1));
    ASSERT_TRUE(Go(d, 1001, 1) && Go(d, 1001, 2));
    // The licence gate holds until the box is ticked, and again after Back.
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(WaitUntil(kStepMs, [&] { return !d.IsEnabled(1001) && !d.IsChecked(1010); }));
        EXPECT_FALSE(d.Press(1001)) << "a disabled Next cannot be pressed";
        ASSERT_TRUE(d.Press(1010));
        ASSERT_TRUE(WaitUntil(kStepMs, [&] { return d.IsEnabled(1001); }));
        ASSERT_TRUE(Go(d, 1001, 3) && (round == 1 || Go(d, 1002, 2)));
    }
    // An existing directory: No keeps the page and the text, Yes goes on.
    ASSERT_TRUE(d.SetText(1015, existing));
    for (int answer : {IDNO, IDYES}) {
        ASSERT_TRUE(d.Press(1001));
        HWND box = d.WaitForMessageBox(kStepMs);
        ASSERT_TRUE(box) << "asked at every press";
        EXPECT_EQ(kTitle, SetupDriver::WindowText(box));
        EXPECT_EQ("The folder you chose already exists. An earlier version may be installed there.\r\n\r\n"
                  "Do you really want to install Orvanta 4.00 in this folder?",
                  SetupDriver::MessageBoxText(box));
        ASSERT_TRUE(SetupDriver::Answer(box, answer));
        ASSERT_TRUE(WaitUntil(kStepMs, [&] { return !::IsWindow(box); }));
        if (answer == IDNO) {
            EXPECT_EQ(3, d.CurrentPage());
            EXPECT_EQ(existing, d.Text(1015));
        }
    }
    ASSERT_TRUE(d.WaitForPage(4, kStepMs));
    // Back, and a directory whose parents do not exist yet: no question, installed there.
    ASSERT_TRUE(Go(d, 1002, 3));
    ASSERT_TRUE(d.SetText(1015, deep));
    ASSERT_TRUE(Go(d, 1001, 4));
    EXPECT_FALSE(d.WaitForMessageBox(0));
    ASSERT_TRUE(d.SetText(1019, kGroup));
    ASSERT_TRUE(Go(d, 1001, 5));
    ExpectText(d, 1001, "Next >");
    ExpectText(d, 1002, "< Back");
    ExpectText(d, 1003, "Cancel");
    ASSERT_TRUE(d.Press(1001));
    ASSERT_NO_FATAL_FAILURE(EndsOn(d, 7));
    ExpectText(d, 1017, "Orvanta 4.00 has been installed.\r\nPress OK to leave setup.");
    ASSERT_NO_FATAL_FAILURE(LeaveFinishPage(d, true));
    std::vector<DWORD> launched;
    EXPECT_TRUE(WaitUntil(kStepMs, [&] { return !(launched = Processes("terminal.exe")).empty(); }));
    for (DWORD process : launched)
        EXPECT_TRUE(SamePath(deep + "\\terminal.exe", EndProcess(process)));
    ExpectInstalled(deep, kGroup, setup);
    EXPECT_TRUE(InstallReport::ListTree(existing).empty()) << "nothing went into the refused directory";

    // The user's own files, and another product's shortcuts, stay with their folders.
    WriteBytes(deep + "\\my notes.txt", "mine");
    WriteBytes(GroupFolder(kGroup) + "\\my list.txt", "mine");
    ASSERT_TRUE(::CreateDirectoryA(GroupFolder(kOtherGroup).c_str(), nullptr));
    ASSERT_TRUE(MakeOtherLink(GroupFolder(kOtherGroup) + "\\Other.lnk"));
    SetupDriver uninstaller;
    ASSERT_TRUE(uninstaller.Start(deep + "\\Uninstall.exe", "/S"));
    EXPECT_TRUE(uninstaller.WaitForExit(kStepMs));
    ExpectRemoved(deep);
    EXPECT_FALSE(InstallReport::RecordExists()) << "the record named this directory";
    EXPECT_EQ(std::vector<std::string>{"my notes.txt"}, InstallReport::ListTree(deep));
    EXPECT_EQ(std::vector<std::string>{"my list.txt"}, InstallReport::ListTree(GroupFolder(kGroup)));
    EXPECT_EQ(std::vector<std::string>{"Other.lnk"}, InstallReport::ListTree(GroupFolder(kOtherGroup)));
    EXPECT_FALSE(SetupDriver::FindMessageBox(0)) << "a silent removal says nothing";
    EXPECT_EQ(std::vector<std::string>(), planted.Ran());
}

} // namespace
} // namespace e2e
