// The two halves of the restart scenario, run only by restart.sh, with the prefix's Wine
// server ended in between, which takes the volatile install record with it, as a restart
// of Windows does.
#include "E2eFixture.h"

namespace e2e {
namespace {

// The installation stays for the second half.
class DISABLED_BeforeRestart : public E2eTest {
protected:
    void TearDown() override {}
};

// The installation of the first half is still there.
class DISABLED_AfterRestart : public E2eTest {
protected:
    void SetUp() override {}
};

TEST_F(DISABLED_BeforeRestart, DemoInstalledIntoTheProposedPlaces)
{
    std::string setup = Pack("setup");
    ASSERT_NO_FATAL_FAILURE(Install(setup, Choices()));
    ExpectInstalled(kDefaultDirectory, kTitle, setup);
}

// Without a record the uninstaller still knows its product: No removes nothing, /S
// removes every product file, folder and shortcut with the group, says nothing, and
// leaves the user's own file; the copy that removed is left to the system to delete at
// the next start.
TEST_F(DISABLED_AfterRestart, UninstallerRemovesWithoutTheRecord)
{
    ASSERT_FALSE(InstallReport::RecordExists()) << "the record is volatile";
    const std::string directory = kDefaultDirectory, uninstaller = directory + "\\Uninstall.exe";
    WriteBytes(directory + "\\my notes.txt", "mine");
    std::vector<std::string> installed = InstallReport::ListTree(directory);
    std::vector<std::string> links = InstallReport::ListTree(GroupFolder(kTitle));
    ASSERT_EQ(4u, links.size());
    ASSERT_TRUE(Exists(DesktopLink()));

    SetupDriver asked;
    ASSERT_TRUE(asked.Start(uninstaller));
    HWND question = asked.WaitForMessageBox(kStepMs);
    ASSERT_TRUE(question) << "no question";
    EXPECT_EQ(kUninstallQuestionZh + "\r\n\r\n" + directory, SetupDriver::MessageBoxText(question));
    ASSERT_TRUE(SetupDriver::Answer(question, IDNO));
    DWORD code = 1;
    EXPECT_TRUE(asked.WaitForExit(kStepMs, &code));
    EXPECT_EQ(0u, code);
    EXPECT_EQ(installed, InstallReport::ListTree(directory)) << "No removes nothing";
    EXPECT_EQ(links, InstallReport::ListTree(GroupFolder(kTitle)));
    EXPECT_TRUE(Exists(DesktopLink()));
    EXPECT_TRUE(TempEntries("OrvantaUninstall-").empty()) << "its working folder went with it";

    SetupDriver silent;
    ASSERT_TRUE(silent.Start(uninstaller, "/S"));
    EXPECT_TRUE(silent.WaitForExit(kStepMs));
    ExpectRemoved(directory);
    EXPECT_EQ(std::vector<std::string>{"my notes.txt"}, InstallReport::ListTree(directory));
    EXPECT_FALSE(Exists(GroupFolder(kTitle)));
    EXPECT_FALSE(SetupDriver::FindMessageBox(0)) << "a silent removal says nothing";
    char pending[8192] = {};
    DWORD size = sizeof(pending) - 2;
    ::RegGetValueA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                   "PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, pending, &size);
    EXPECT_NE(std::string::npos, std::string(pending, size).find("OrvantaUninstall-")) << "no deletion at the next start";
}

} // namespace
} // namespace e2e
