// What a deployment tool sees of the setup: its switches and exit codes, the installation
// without any window, the entry in the list of installed programs and the log; and the
// question the wizard asks for a product file that a running program holds.
#include "E2eFixture.h"

#include "framework/RegKey.h"
#include "framework/ScopedHandle.h"
#include "remover/UninstallEntry.h"

namespace e2e {
namespace {

const char kSilentDirectory[] = "C:\\Program Files\\Orvanta Test";

class DeploymentTest : public E2eTest {
protected:
    void TearDown() override
    {
        std::error_code ec;
        std::filesystem::remove_all(FsPath(kSilentDirectory), ec);
        E2eTest::TearDown();
    }
    static bool EntryExists()
    {
        RegKey machine, user;
        return machine.Open(HKEY_LOCAL_MACHINE, UninstallEntry::Path, KEY_READ | UninstallEntry::MachineView) ||
               user.Open(HKEY_CURRENT_USER, UninstallEntry::Path);
    }
    static std::string Entry(const char* name)
    {
        RegKey key;
        std::string value;
        if (key.Open(HKEY_LOCAL_MACHINE, UninstallEntry::Path, KEY_READ | UninstallEntry::MachineView))
            key.QueryString(name, value);
        return value;
    }
    // Every value of the machine's entry, as text, for comparing before and after.
    static std::string DescribeEntry()
    {
        std::string text;
        for (const char* name : {"DisplayName", "Publisher", "URLInfoAbout", "DisplayVersion", "InstallLocation",
                                 "DisplayIcon", "UninstallString", "QuietUninstallString", "InstallDate"})
            text += std::string(name) + "=" + Entry(name) + "\n";
        return text;
    }
    static bool NothingWritten()
    {
        return !EntryExists() && !InstallReport::RecordExists() && !Exists(GroupFolder(kTitle)) &&
               !Exists(DesktopLink()) && !Exists(kSilentDirectory);
    }

    // Runs the setup and watches it from outside until it ends: whether any window of its
    // process was ever visible, and its exit code.
    DWORD Run(const std::string& setup, const std::string& arguments, bool& windowShown, int answer = 0)
    {
        SetupDriver d;
        EXPECT_TRUE(d.Start(setup, arguments));
        windowShown = false;
        DWORD code = 999;
        for (DWORD waited = 0; waited < kInstallMs && d.Running(); waited += 10) {
            if (HWND box = SetupDriver::FindMessageBox(d.ProcessId())) {
                windowShown = true;
                if (answer)
                    SetupDriver::Answer(box, answer);
            }
            struct Watch {
                DWORD process;
                bool seen;
            } watch{d.ProcessId(), false};
            ::EnumWindows(
                [](HWND hwnd, LPARAM param) {
                    auto* w = reinterpret_cast<Watch*>(param);
                    DWORD owner = 0;
                    ::GetWindowThreadProcessId(hwnd, &owner);
                    if (owner == w->process && ::IsWindowVisible(hwnd))
                        w->seen = true;
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&watch));
            windowShown = windowShown || watch.seen;
            ::Sleep(10);
        }
        EXPECT_TRUE(d.WaitForExit(kStepMs, &code));
        return code;
    }

    std::string LogPath() const { return scratch_.file("setup.log"); }
};

// Usage errors and refusals end before anything is written, with code 2, silently with /S
// and with a box that says why without it.
TEST_F(DeploymentTest, RefusalsEndWithTheirCodeBeforeAnythingIsWritten)
{
    const std::string setup = Pack("setup");
    const struct {
        std::string arguments;
        DWORD code;
        bool box;
    } rows[] = {
        {"/S /?", 2, false},
        {"/S /X", 2, false},
        {"/S /S", 2, false},
        {"/S /LANG=3", 2, false},
        {"/S /LOG=Z:\\no\\such\\folder\\setup.log", 2, false},
        {"/S /D=C:\\Windows", 2, false},
        {"/S /D=relative\\folder", 2, false},
        {"/?", 2, true},
        {"/unknown", 2, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments);
        bool shown = false;
        EXPECT_EQ(row.code, Run(setup, row.arguments, shown, IDOK));
        EXPECT_EQ(row.box, shown);
        EXPECT_TRUE(NothingWritten()) << InstallReport::Describe();
    }
}

// Another setup holding the single-instance guard: /S ends with 2 and shows nothing.
TEST_F(DeploymentTest, ASilentSetupBesideARunningOneEndsWithTwoAndShowsNothing)
{
    const std::string setup = Pack("setup");
    ScopedHandle running(::CreateMutexW(nullptr, FALSE, L"install"));
    ASSERT_TRUE(running);
    bool shown = true;
    EXPECT_EQ(2u, Run(setup, std::string("/S /D=") + kSilentDirectory, shown));
    EXPECT_FALSE(shown);
    EXPECT_TRUE(NothingWritten()) << InstallReport::Describe();
}

// setup.exe /S /D=... installs every file, the shortcuts, the record and the entry without
// a window at any time, and the entry's own QuietUninstallString removes it all again.
TEST_F(DeploymentTest, SilentInstallShowsNothingAndItsQuietUninstallRemovesEverything)
{
    const std::string setup = Pack("setup");
    bool shown = true;
    ASSERT_EQ(0u, Run(setup, "/S /LOG=" + LogPath() + " /D=" + kSilentDirectory, shown));
    EXPECT_FALSE(shown) << "a window showed during /S";
    ExpectInstalled(kSilentDirectory, kTitle, setup);
    EXPECT_TRUE(Exists(DesktopLink()));
    const std::string quoted = std::string("\"") + kSilentDirectory + "\\Uninstall.exe\"";
    EXPECT_EQ(kTitle, Entry("DisplayName"));
    EXPECT_EQ("Brenholt", Entry("Publisher"));
    EXPECT_EQ("4.00", Entry("DisplayVersion"));
    EXPECT_EQ(kSilentDirectory, Entry("InstallLocation"));
    EXPECT_EQ(std::string(kSilentDirectory) + "\\terminal.ico", Entry("DisplayIcon"));
    EXPECT_EQ(quoted, Entry("UninstallString"));
    EXPECT_EQ(quoted + " /S", Entry("QuietUninstallString"));
    EXPECT_EQ(8u, Entry("InstallDate").size());
    const std::string log = ReadBytes(LogPath());
    for (const char* line : {"command line: /S /LOG=", "directory: C:\\Program Files\\Orvanta Test",
                             "items written: ", "record: ", "list of installed programs: ", "exit code: 0"})
        EXPECT_NE(std::string::npos, log.find(line)) << line << "\n" << log;

    // What the list of programs would start, split as its command line.
    const std::string quiet = Entry("QuietUninstallString");
    SetupDriver uninstaller;
    ASSERT_TRUE(uninstaller.Start(quiet.substr(1, quiet.find('"', 1) - 1), quiet.substr(quiet.find('"', 1) + 2)));
    DWORD code = 99;
    ASSERT_TRUE(uninstaller.WaitForExit(kInstallMs, &code));
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(WaitUntil(kInstallMs, [] { return Processes("Uninstall.exe").empty(); }));
    EXPECT_FALSE(EntryExists());
    EXPECT_FALSE(Exists(std::string(kSilentDirectory) + "\\terminal.exe"));
    EXPECT_FALSE(InstallReport::RecordExists());
}

// A silent reinstallation that meets a file a running program holds asks nothing, ends
// with 1, keeps the earlier installation with its entry, and its log names the file and
// the error.
TEST_F(DeploymentTest, AFailedSilentReinstallationKeepsTheEarlierOneAndSaysWhy)
{
    const std::string setup = Pack("setup");
    bool shown = true;
    ASSERT_EQ(0u, Run(setup, std::string("/S /D=") + kSilentDirectory, shown));
    WriteBytes(std::string(kSilentDirectory) + "\\notes.txt", "the user's own notes");
    const std::string before = InstallReport::Describe(), entryBefore = DescribeEntry();
    ScopedHandle lock(FileApi::Open(std::string(kSilentDirectory) + "\\terminal.exe", GENERIC_READ, 0, OPEN_EXISTING, 0));
    ASSERT_TRUE(lock);
    EXPECT_EQ(1u, Run(setup, "/S /LOG=" + LogPath() + " /D=" + kSilentDirectory, shown));
    EXPECT_FALSE(shown);
    lock.reset();
    EXPECT_EQ(before, InstallReport::Describe());
    EXPECT_EQ(entryBefore, DescribeEntry());
    EXPECT_EQ("the user's own notes", ReadBytes(std::string(kSilentDirectory) + "\\notes.txt"));
    const std::string log = ReadBytes(LogPath());
    EXPECT_NE(std::string::npos, log.find("terminal.exe: error 32: ")) << log;
    EXPECT_NE(std::string::npos, log.find("exit code: 1")) << log;
    EXPECT_NE(std::string::npos, log.find("rollback ended")) << log;
}

// A reinstallation through the wizard that meets a file a running program holds asks:
// Retry once the program let go of it completes the installation, Cancel rolls back as
// before and keeps the earlier installation.
TEST_F(DeploymentTest, TheWizardAsksForAFileInUseAndRetryCompletes)
{
    const std::string fileInUseZh =
        "无法写入下面的文件：一个正在运行的程序正在使用它。请关闭该程序，然后按“重试”；按“取消”将放弃安装。";
    const std::string setup = Pack("setup");
    Choices choices{scratch_.file("Orvanta Held"), false, kGroup};
    ASSERT_NO_FATAL_FAILURE(Install(setup, choices));
    const std::string held = choices.directory + "\\terminal.exe";
    const std::string before = InstallReport::Describe();
    choices.existingDirectory = true;
    for (int answer : {IDCANCEL, IDRETRY}) {
        SCOPED_TRACE(answer == IDRETRY ? "retry" : "cancel");
        ScopedHandle lock(FileApi::Open(held, GENERIC_READ, 0, OPEN_EXISTING, 0));
        ASSERT_TRUE(lock);
        SetupDriver d;
        ASSERT_NO_FATAL_FAILURE(OpenAndConfirm(d, setup, choices));
        HWND box = d.WaitForMessageBox(kInstallMs);
        ASSERT_TRUE(box) << "no question";
        EXPECT_EQ(fileInUseZh + "\r\n\r\n" + held, SetupDriver::MessageBoxText(box).substr(0, fileInUseZh.size() + 4 + held.size()));
        lock.reset();
        ASSERT_TRUE(SetupDriver::Answer(box, answer));
        ASSERT_NO_FATAL_FAILURE(EndsOn(d, answer == IDRETRY ? 7 : 8));
        ASSERT_TRUE(d.Press(1003));
        DWORD code = 99;
        ASSERT_TRUE(d.WaitForExit(kInstallMs, &code));
        EXPECT_EQ(answer == IDRETRY ? 0u : 1u, code);
        if (answer == IDCANCEL)
            EXPECT_EQ(before, InstallReport::Describe()) << "the earlier installation as it was";
        else
            ExpectInstalled(choices.directory, kGroup, setup);
    }
}

} // namespace
} // namespace e2e
