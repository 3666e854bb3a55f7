// The real, packed setup.exe installing the demo product, driven from outside as a person
// would, and the Uninstall.exe the packer added removing it again.
#include "E2eFixture.h"

#include "framework/ComPtr.h"
#include "framework/ScopedCoInit.h"
#include "framework/ScopedHandle.h"

#include <shlobj.h>

#include <filesystem>

namespace e2e {
namespace {

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

// The publisher's signed setup, started from a downloads folder where DLLs were planted,
// loads none of them and installs in English into a typed group and a directory whose
// parents do not exist yet; the finish page launches the application. Uninstall.exe asks,
// and its copy in its working folder below the temporary folder, beside DLLs planted there
// too, removes it all and reports. The user's own files and another product's shortcuts stay with their folders.
TEST_F(InstallTest, SignedInEnglishIntoTypedPlacesLaunchedThenRemovedLeavingTheUsersOwn)
{
    const std::string uninstalledZh =   // Orvanta 4.00 已经从您的计算机中移除.
        "Orvanta 4.00 \xD2\xD1\xBE\xAD\xB4\xD3\xC4\xFA\xB5\xC4\xBC\xC6\xCB\xE3\xBB\xFA\xD6\xD0\xD2\xC6\xB3\xFD.";
    const std::string downloads = scratch_.file("Downloads"), setup = downloads + "\\OrvantaSetup.exe";
    ASSERT_TRUE(::CreateDirectoryA(downloads.c_str(), nullptr));
    ASSERT_TRUE(::CopyFileA((kSignedSetupDir + "\\signed.exe").c_str(), setup.c_str(), FALSE))
        << "made by the e2e_signed_setup test";
    PlantDlls(downloads);
    const Choices choices{scratch_.file("new\\parents\\Orvanta"), false, kGroup, 1};
    SetupDriver d;
    ASSERT_NO_FATAL_FAILURE(OpenAndConfirm(d, setup, choices)) << PlantedDllsRun(downloads).size() << " ran";
    ASSERT_NO_FATAL_FAILURE(EndsOn(d, 7));
    ExpectText(d, 1017, "Orvanta 4.00 has been installed.\r\nPress OK to leave setup.");
    ASSERT_NO_FATAL_FAILURE(LeaveFinishPage(d, true));
    std::vector<DWORD> launched;
    EXPECT_TRUE(WaitUntil(kStepMs, [&] { return !(launched = Processes("terminal.exe")).empty(); }));
    for (DWORD id : launched) {
        ScopedHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
        EXPECT_TRUE(::TerminateProcess(process.get(), 0) && ::WaitForSingleObject(process.get(), kStepMs) == 0);
    }
    ExpectInstalled(choices.directory, kGroup, setup);

    WriteBytes(choices.directory + "\\my notes.txt", "mine");
    WriteBytes(GroupFolder(kGroup) + "\\my list.txt", "mine");
    ASSERT_TRUE(::CreateDirectoryA(GroupFolder(kOtherGroup).c_str(), nullptr));
    ASSERT_TRUE(MakeOtherLink(GroupFolder(kOtherGroup) + "\\Other.lnk"));
    SetupDriver uninstaller;
    ASSERT_TRUE(uninstaller.Start(choices.directory + "\\Uninstall.exe"));
    HWND box = uninstaller.WaitForMessageBox(kStepMs);
    ASSERT_TRUE(box) << "no question";
    // Its working folder, where its copy will start, is there while it asks.
    const std::string copyFolder = (std::filesystem::temp_directory_path() /
                                    ("OrvantaUninstall-" + std::to_string(uninstaller.ProcessId()))).string();
    PlantDlls(copyFolder);
    EXPECT_EQ(kTitle, SetupDriver::WindowText(box));
    EXPECT_EQ(kUninstallQuestionZh + "\r\n\r\n" + choices.directory, SetupDriver::MessageBoxText(box));
    ASSERT_TRUE(SetupDriver::Answer(box, IDYES));
    EXPECT_TRUE(uninstaller.WaitForExit(kStepMs)) << "the original hands over to its copy";
    ASSERT_TRUE(WaitUntil(kInstallMs, [&] { return (box = SetupDriver::FindMessageBox(0)) != nullptr; }));
    EXPECT_EQ(uninstalledZh, SetupDriver::MessageBoxText(box));
    ASSERT_TRUE(SetupDriver::Answer(box, IDOK));
    ExpectRemoved(choices.directory);
    EXPECT_EQ(std::vector<std::string>{"my list.txt"}, InstallReport::ListTree(GroupFolder(kGroup)));
    EXPECT_EQ(std::vector<std::string>{"Other.lnk"}, InstallReport::ListTree(GroupFolder(kOtherGroup)));
    EXPECT_EQ(std::vector<std::string>(), PlantedDllsRun(downloads));
    EXPECT_EQ(std::vector<std::string>(), PlantedDllsRun(copyFolder));
}

// Archives of one product folder made by the usual tools, each handed to the packer as a
// ready ZIP and installed through the wizard: the installed tree is the folder, names and
// bytes alike.
TEST_F(InstallTest, ArchivesOfCommonToolsInstallAsTheirFolder)
{
    const std::string interop = WinPath(ORVANTA_INTEROP_DIR);
    const std::vector<std::string> tree = InstallReport::ListTree(interop + "\\product");
    // 说明.txt, 文档\ and 文档\内容.txt in code page 936, and the other kinds of names.
    for (const char* name : {"\xCB\xB5\xC3\xF7.txt", "\xCE\xC4\xB5\xB5\\", "\xCE\xC4\xB5\xB5\\\xC4\xDA\xC8\xDD.txt",
                             "nested\\empty.dat", "nested\\with space.txt", "nested\\deeper\\deepest\\leaf.txt"})
        ASSERT_NE(std::find(tree.begin(), tree.end(), name), tree.end()) << name;
    for (const char* tool : {"infozip", "infozip-fd", "7zip", "bsdtar", "python-streamed", "python-zip64"}) {
        SCOPED_TRACE(tool);
        std::string setup = Pack(tool, interop + "\\" + tool + ".zip");
        ASSERT_NO_FATAL_FAILURE(Install(setup, Choices()));
        ExpectInstalled(kDefaultDirectory, kTitle, setup, interop + "\\product");
        CleanProfile();
    }
}

// The two halves of the restart scenario, run only by restart.sh with the prefix's Wine
// server ended in between, which takes the volatile install record with it, as a restart
// of Windows does. The installation of the first half, in the built-in Chinese into the
// proposed places, stays for the second.
class DISABLED_BeforeRestart : public E2eTest { void TearDown() override {} };
class DISABLED_AfterRestart : public E2eTest { void SetUp() override {} };

TEST_F(DISABLED_BeforeRestart, ChineseIntoTheProposedPlacesNotLaunched)
{
    const std::string finishZh =   // 已经安装完成. / 请按确定键来离开安装程序
        "Orvanta 4.00\xD2\xD1\xBE\xAD\xB0\xB2\xD7\xB0\xCD\xEA\xB3\xC9.\r\n"
        "\xC7\xEB\xB0\xB4\xC8\xB7\xB6\xA8\xBC\xFC\xC0\xB4\xC0\xEB\xBF\xAA\xB0\xB2\xD7\xB0\xB3\xCC\xD0\xF2";
    std::string setup = Pack("setup");
    SetupDriver d;
    ASSERT_NO_FATAL_FAILURE(OpenAndConfirm(d, setup, Choices()));
    ASSERT_NO_FATAL_FAILURE(EndsOn(d, 7));
    ExpectText(d, 1017, finishZh);
    ASSERT_NO_FATAL_FAILURE(LeaveFinishPage(d, false));
    EXPECT_TRUE(Processes("terminal.exe").empty()) << "the unticked launch box starts nothing";
    ExpectInstalled(kDefaultDirectory, kTitle, setup);
}

// Without a record the uninstaller still knows its product: No removes nothing, /S
// removes every product file, folder and shortcut with the group and says nothing; the
// copy that removed is left to the system to delete at the next start.
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
    EXPECT_FALSE(Exists(GroupFolder(kTitle)));
    EXPECT_FALSE(SetupDriver::FindMessageBox(0)) << "a silent removal says nothing";
    char pending[8192] = {};
    DWORD size = sizeof(pending) - 2;
    ::RegGetValueA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                   "PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, pending, &size);
    EXPECT_NE(std::string::npos, std::string(pending, size).find("OrvantaUninstall-")) << "no deletion at restart";
}

} // namespace
} // namespace e2e
