// The real, packed setup.exe installing the demo product, driven from outside as a
// person would: each language, the licence gate, the directory question, typed
// directories and groups, the repair start and the finish page's launch.
#include "E2eFixture.h"

#include <tlhelp32.h>

#include <algorithm>

#include "InstallReport.h"

namespace e2e {
namespace {

// Code page 936 bytes of the built-in texts the Chinese run checks.
const std::string kNextZh = "\xCF\xC2\xD2\xBB\xB2\xBD >";                 // 下一步 >
const std::string kBackZh = "< \xC9\xCF\xD2\xBB\xB2\xBD";                 // < 上一步
const std::string kCancelZh = "\xB7\xC5\xC6\xFA";                         // 放弃
const std::string kAcceptZh =                                             // 是，我接受所有的授权合约
    "\xCA\xC7\xA3\xAC\xCE\xD2\xBD\xD3\xCA\xDC\xCB\xF9\xD3\xD0\xB5\xC4\xCA\xDA\xC8\xA8\xBA\xCF\xD4\xBC";
const std::string kFinishZh =                                             // 已经安装完成. / 请按确定键来离开安装程序
    "Orvanta 4.00\xD2\xD1\xBE\xAD\xB0\xB2\xD7\xB0\xCD\xEA\xB3\xC9.\r\n"
    "\xC7\xEB\xB0\xB4\xC8\xB7\xB6\xA8\xBC\xFC\xC0\xB4\xC0\xEB\xBF\xAA\xB0\xB2\xD7\xB0\xB3\xCC\xD0\xF2";
const std::string kChineseName = "\xBC\xF2\xCC\xE5\xD6\xD0\xCE\xC4";     // 简体中文

struct PageTexts {
    std::string next, back, cancel, accept, finish;
};

// Waits for a control to show a text: pages and buttons take their texts when they paint.
void ExpectText(SetupDriver& d, int id, const std::string& text)
{
    EXPECT_TRUE(WaitUntil(kStepMs, [&] { return d.Text(id) == text; }))
        << "control " << id << " reads \"" << d.Text(id) << "\", not \"" << text << "\"";
}

std::vector<DWORD> ProcessesNamed(const char* exeName)
{
    std::vector<DWORD> found;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32First(snapshot, &entry); more; more = ::Process32Next(snapshot, &entry))
        if (::lstrcmpiA(entry.szExeFile, exeName) == 0)
            found.push_back(entry.th32ProcessID);
    ::CloseHandle(snapshot);
    return found;
}

std::string ImageOf(DWORD processId)
{
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    char path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (process) {
        ::QueryFullProcessImageNameA(process, 0, path, &size);
        ::CloseHandle(process);
    }
    return path;
}

void EndProcess(DWORD processId)
{
    HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
    if (process) {
        ::TerminateProcess(process, 0);
        ::WaitForSingleObject(process, 10000);
        ::CloseHandle(process);
    }
}

class InstallTest : public E2eTest {
protected:
    // The whole road in one language, with that language's texts checked on the way.
    void InstallInLanguage(int language, const PageTexts& texts, const std::string& directory)
    {
        std::string setup = Pack(language == 0 ? "setup-zh" : "setup-en");
        SetupDriver d;
        ASSERT_TRUE(d.Start(setup));
        ASSERT_TRUE(d.WaitForFrame(kStepMs));
        ASSERT_TRUE(d.WaitForPage(0, kStepMs));
        std::vector<std::string> names = d.ListItems(1006);
        ASSERT_EQ((std::vector<std::string>{kChineseName, "English"}), names);
        ASSERT_TRUE(Exists(WorkInstallFolder() + "\\lang.ini")) << "the container is unpacked while the wizard runs";
        if (language > 0) {
            ASSERT_TRUE(d.SelectListIndex(1006, language));
        }
        ASSERT_TRUE(d.Press(1001));
        ASSERT_TRUE(d.WaitForPage(1, kStepMs));
        ExpectText(d, 1001, texts.next);
        ExpectText(d, 1002, texts.back);
        ExpectText(d, 1003, texts.cancel);
        ASSERT_TRUE(d.Press(1001));
        ASSERT_TRUE(d.WaitForPage(2, kStepMs));
        ExpectText(d, 1010, texts.accept);
        ASSERT_TRUE(d.Press(1010));
        ASSERT_TRUE(WaitUntil(kStepMs, [&] { return d.IsEnabled(1001); }));
        ASSERT_TRUE(d.Press(1001));
        ASSERT_TRUE(d.WaitForPage(3, kStepMs));
        EXPECT_EQ(kDefaultDirectory, d.Text(1015)) << "the proposal of the demo's lang.ini";
        if (!directory.empty()) {
            ASSERT_TRUE(d.SetText(1015, directory));
        }
        ASSERT_TRUE(d.Press(1001));
        ASSERT_TRUE(d.WaitForPage(4, kStepMs));
        EXPECT_EQ(kDefaultGroup, d.Text(1019));
        ASSERT_TRUE(d.Press(1001));
        ASSERT_TRUE(d.WaitForPage(5, kStepMs));
        ASSERT_NO_FATAL_FAILURE(InstallFromConfirm(d));
        ExpectText(d, 1017, texts.finish);
        ExpectText(d, 1003, "OK");
        EXPECT_FALSE(d.IsVisible(1001));
        EXPECT_FALSE(d.IsVisible(1002));
        ASSERT_NO_FATAL_FAILURE(LeaveFinishPage(d, false));
        EXPECT_TRUE(ProcessesNamed("terminal.exe").empty()) << "the unticked launch box starts nothing";
        std::string installed = directory.empty() ? std::string(kDefaultDirectory) : directory;
        ExpectInstalled(installed, kDefaultGroup, setup);
    }
};

TEST_F(InstallTest, ChineseIntoTheProposedDirectory)
{
    InstallInLanguage(0, {kNextZh, kBackZh, kCancelZh, kAcceptZh, kFinishZh}, std::string());
}

TEST_F(InstallTest, EnglishIntoATypedDirectory)
{
    std::string directory = scratch_.file("Orvanta English");
    InstallInLanguage(1, {"Next >", "< Back", "Cancel", "Yes, I accept all terms of the licence agreement",
                          "Orvanta 4.00 has been installed.\r\nPress OK to leave setup."},
                      directory);
}

TEST_F(InstallTest, LicenceGateDirectoryQuestionAndTypedPlaces)
{
    std::string setup = Pack("setup-gates");
    std::string existing = scratch_.file("existing");
    ASSERT_TRUE(::CreateDirectoryA(existing.c_str(), nullptr));
    std::string deep = scratch_.file("new\\parents\\Orvanta");
    const std::string group = "E2E Typed Group";
    Touches(group);

    SetupDriver d;
    ASSERT_TRUE(d.Start(setup));
    ASSERT_TRUE(d.WaitForFrame(kStepMs));
    ASSERT_TRUE(d.WaitForPage(0, kStepMs));
    ASSERT_TRUE(d.SelectListIndex(1006, 1));
    ASSERT_TRUE(d.Press(1001));
    ASSERT_TRUE(d.WaitForPage(1, kStepMs));
    ASSERT_TRUE(d.Press(1001));
    ASSERT_TRUE(d.WaitForPage(2, kStepMs));

    // The licence gate: Next refuses until the box is ticked, and again after Back.
    ASSERT_TRUE(WaitUntil(kStepMs, [&] { return !d.IsEnabled(1001); }));
    EXPECT_FALSE(d.IsChecked(1010));
    EXPECT_FALSE(d.Press(1001)) << "a disabled Next cannot be pressed";
    ASSERT_TRUE(d.Press(1010));
    ASSERT_TRUE(WaitUntil(kStepMs, [&] { return d.IsEnabled(1001) && d.IsChecked(1010); }));
    ASSERT_TRUE(d.Press(1001));
    ASSERT_TRUE(d.WaitForPage(3, kStepMs));
    ASSERT_TRUE(d.Press(1002));
    ASSERT_TRUE(d.WaitForPage(2, kStepMs));
    EXPECT_TRUE(WaitUntil(kStepMs, [&] { return !d.IsEnabled(1001) && !d.IsChecked(1010); }))
        << "back on the licence page the box is unticked and Next disabled";
    ASSERT_TRUE(d.Press(1010));
    ASSERT_TRUE(WaitUntil(kStepMs, [&] { return d.IsEnabled(1001); }));
    ASSERT_TRUE(d.Press(1001));
    ASSERT_TRUE(d.WaitForPage(3, kStepMs));

    // An existing directory: No keeps the page and the text, Yes goes on.
    ASSERT_TRUE(d.SetText(1015, existing));
    ASSERT_TRUE(d.Press(1001));
    HWND box = d.WaitForMessageBox(kStepMs);
    ASSERT_TRUE(box);
    EXPECT_EQ("Orvanta 4.00", SetupDriver::WindowText(box));
    EXPECT_EQ("The folder you chose already exists. An earlier version may be installed there.\r\n\r\n"
              "Do you really want to install Orvanta 4.00 in this folder?",
              SetupDriver::MessageBoxText(box));
    ASSERT_TRUE(SetupDriver::Answer(box, IDNO));
    ASSERT_TRUE(WaitUntil(kStepMs, [&] { return !::IsWindow(box); }));
    EXPECT_EQ(3, d.CurrentPage());
    EXPECT_EQ(existing, d.Text(1015));
    ASSERT_TRUE(d.Press(1001));
    box = d.WaitForMessageBox(kStepMs);
    ASSERT_TRUE(box) << "asked again at the next press";
    ASSERT_TRUE(SetupDriver::Answer(box, IDYES));
    ASSERT_TRUE(d.WaitForPage(4, kStepMs));

    // Back, and a directory whose parents do not exist yet: no question, installed there.
    ASSERT_TRUE(d.Press(1002));
    ASSERT_TRUE(d.WaitForPage(3, kStepMs));
    ASSERT_TRUE(d.SetText(1015, deep));
    ASSERT_TRUE(d.Press(1001));
    ASSERT_TRUE(d.WaitForPage(4, kStepMs));
    EXPECT_FALSE(d.WaitForMessageBox(0));

    // A new group typed by hand.
    std::vector<std::string> listed = d.ListItems(1018);
    EXPECT_EQ(listed.end(), std::find(listed.begin(), listed.end(), group));
    ASSERT_TRUE(d.SetText(1019, group));
    ASSERT_TRUE(d.Press(1001));
    ASSERT_TRUE(d.WaitForPage(5, kStepMs));
    ASSERT_NO_FATAL_FAILURE(InstallFromConfirm(d));
    ASSERT_NO_FATAL_FAILURE(LeaveFinishPage(d, false));
    ExpectInstalled(deep, group, setup);
    EXPECT_TRUE(InstallReport::ListTree(existing).empty()) << "nothing went into the refused directory";
}

// An interrupted removal left "Repair" = "1": the next start reinstalls into the recorded
// place without a question.
TEST_F(InstallTest, RepairStartInstallsIntoTheRecordedPlace)
{
    std::string setup = Pack("setup-repair");
    std::string directory = scratch_.file("repaired");
    const std::string group = "E2E Repair Group";
    Touches(group);
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Orvanta", 0, nullptr, REG_OPTION_VOLATILE,
                                               KEY_ALL_ACCESS, nullptr, &key, nullptr));
    auto set = [key](const char* name, const std::string& text) {
        ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), DWORD(text.size() + 1));
    };
    set("InstallPath", directory);
    set("ProgramGroup", group);
    set("Repair", "1");
    ::RegCloseKey(key);

    SetupDriver d;
    ASSERT_TRUE(d.Start(setup));
    ASSERT_TRUE(d.WaitForFrame(kStepMs));
    ASSERT_TRUE(WaitUntil(kStepMs, [&] { return d.CurrentPage() >= 0; }));
    int first = d.CurrentPage();
    EXPECT_TRUE(first == 6 || first == 7) << "opened on page " << first;
    ASSERT_TRUE(d.WaitForPage(7, kInstallMs));
    EXPECT_FALSE(d.IsVisible(1001));
    EXPECT_FALSE(d.IsVisible(1002));
    ASSERT_NO_FATAL_FAILURE(LeaveFinishPage(d, false));
    ExpectInstalled(directory, group, setup);
}

// The finish page's ticked box starts the installed terminal.exe (the unticked box is
// covered by every other installation of this suite).
TEST_F(InstallTest, FinishPageLaunchesTheInstalledProgram)
{
    std::string setup = Pack("setup-launch");
    std::string directory = scratch_.file("Orvanta Launch");
    SetupDriver d;
    ASSERT_TRUE(d.Start(setup));
    Choices choices;
    choices.directory = directory;
    ASSERT_NO_FATAL_FAILURE(WalkToConfirm(d, choices));
    ASSERT_NO_FATAL_FAILURE(InstallFromConfirm(d));
    ASSERT_NO_FATAL_FAILURE(LeaveFinishPage(d, true));

    HWND terminal = nullptr;
    EXPECT_TRUE(WaitUntil(kStepMs, [&] { return (terminal = ::FindWindowA("OrvantaTerminal", nullptr)) != nullptr; }))
        << "no terminal window";
    DWORD processId = 0;
    if (terminal)
        ::GetWindowThreadProcessId(terminal, &processId);
    for (DWORD launched : ProcessesNamed("terminal.exe")) {
        if (launched == processId) {
            EXPECT_TRUE(SamePath(directory + "\\terminal.exe", ImageOf(launched))) << ImageOf(launched);
        }
        EndProcess(launched);
    }
    EXPECT_NE(0u, processId);
    ExpectInstalled(directory, kDefaultGroup, setup);
}

// A second setup while the first runs: one warning, no wizard; the first goes on intact.
TEST_F(InstallTest, SecondInstanceIsRefusedAndTheFirstFinishes)
{
    std::string setup = Pack("setup-first");
    SetupDriver first;
    ASSERT_TRUE(first.Start(setup));
    ASSERT_TRUE(first.WaitForFrame(kStepMs));
    ASSERT_TRUE(first.WaitForPage(0, kStepMs));

    SetupDriver second;
    ASSERT_TRUE(second.Start(setup));
    HWND box = second.WaitForMessageBox(kStepMs);
    ASSERT_TRUE(box) << "no warning";
    EXPECT_EQ("Orvanta 4.00", SetupDriver::WindowText(box));
    EXPECT_EQ("Another instance of Orvanta 4.00 setup is running", SetupDriver::MessageBoxText(box));
    EXPECT_FALSE(second.WaitForFrame(0)) << "no second wizard";
    EXPECT_TRUE(::GetDlgItem(box, IDOK));
    ASSERT_TRUE(SetupDriver::Answer(box, IDOK));
    EXPECT_TRUE(second.WaitForExit(kStepMs));
    EXPECT_TRUE(Exists(WorkInstallFolder() + "\\Orva.in")) << "the refused instance left the working folder alone";

    ASSERT_NO_FATAL_FAILURE(WalkToConfirm(first, Choices()));
    ASSERT_NO_FATAL_FAILURE(InstallFromConfirm(first));
    ASSERT_NO_FATAL_FAILURE(LeaveFinishPage(first, false));
    ExpectInstalled(kDefaultDirectory, kDefaultGroup, setup);
}

} // namespace
} // namespace e2e
