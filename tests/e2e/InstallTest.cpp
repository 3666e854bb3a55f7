// The real, packed setup.exe installing the demo product, driven from outside as a person
// would, and the Uninstall.exe the packer added removing it again.
#include "E2eFixture.h"

#include "framework/ComPtr.h"
#include "framework/ScopedCoInit.h"
#include "tools/FileBytes.h"
#include "tools/ProductUninstaller.h"

#include <shlobj.h>

#include <algorithm>
#include <filesystem>

namespace e2e {
namespace {

using InstallTest = E2eTest;

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

// Each language installs from a downloads folder where DLLs were planted, and loads none of
// them: Chinese (built in) into the proposed places, and English from the publisher's signed
// setup into a typed group and a directory whose parents do not exist yet, launched from the
// finish page. Uninstall.exe asks, then removes it all, the record too since it names this
// directory; its copy in the temporary folder loads none of the DLLs planted there. The
// user's own files, and another product's shortcuts, stay with their folders.
TEST_F(InstallTest, InEachLanguageThenRemovedLeavingTheUsersOwn)
{
    const std::string finishZh =   // 已经安装完成. / 请按确定键来离开安装程序
        "Orvanta 4.00\xD2\xD1\xBE\xAD\xB0\xB2\xD7\xB0\xCD\xEA\xB3\xC9.\r\n"
        "\xC7\xEB\xB0\xB4\xC8\xB7\xB6\xA8\xBC\xFC\xC0\xB4\xC0\xEB\xBF\xAA\xB0\xB2\xD7\xB0\xB3\xCC\xD0\xF2";
    const std::string uninstalledZh =   // Orvanta 4.00 已经从您的计算机中移除.
        "Orvanta 4.00 \xD2\xD1\xBE\xAD\xB4\xD3\xC4\xFA\xB5\xC4\xBC\xC6\xCB\xE3\xBB\xFA\xD6\xD0\xD2\xC6\xB3\xFD.";
    const std::string temp = std::filesystem::temp_directory_path().string();
    struct Row {
        std::string setup;
        Choices choices;
        bool launch;
        std::string finishText;
    } rows[] = {
        {Pack("setup-zh"), {}, false, finishZh},
        {SignedSetupDir() + "\\signed.exe", {scratch_.file("new\\parents\\Orvanta"), false, kGroup, 1}, true,
         "Orvanta 4.00 has been installed.\r\nPress OK to leave setup."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.setup);
        std::string downloads = scratch_.file("Downloads"), setup = downloads + "\\OrvantaSetup.exe";
        std::filesystem::create_directories(downloads);
        ASSERT_TRUE(::CopyFileA(row.setup.c_str(), setup.c_str(), FALSE)) << "signed by the e2e_signed_setup test";
        PlantDlls(downloads);
        PlantDlls(temp);
        std::string directory = row.choices.directory.empty() ? kDefaultDirectory : row.choices.directory;
        std::string group = row.choices.group.empty() ? kTitle : row.choices.group;
        SetupDriver d;
        ASSERT_TRUE(Open(d, setup)) << PlantedDllsRun(downloads).size() << " planted DLLs ran";
        ASSERT_NO_FATAL_FAILURE(WalkAndConfirm(d, row.choices));
        ASSERT_NO_FATAL_FAILURE(EndsOn(d, 7));
        ExpectText(d, 1017, row.finishText);
        ASSERT_NO_FATAL_FAILURE(LeaveFinishPage(d, row.launch));
        std::vector<DWORD> launched;
        EXPECT_EQ(row.launch, WaitUntil(row.launch ? kStepMs : 0, [&] {
            return !(launched = Processes("terminal.exe")).empty();
        })) << "the launch box decides";
        for (DWORD process : launched)
            EXPECT_EQ(0, ::lstrcmpiA((directory + "\\terminal.exe").c_str(), EndProcess(process).c_str()));
        ExpectInstalled(directory, group, setup);

        WriteBytes(directory + "\\my notes.txt", "mine");
        WriteBytes(GroupFolder(group) + "\\my list.txt", "mine");
        ASSERT_TRUE(::CreateDirectoryA(GroupFolder(kOtherGroup).c_str(), nullptr));
        ASSERT_TRUE(MakeOtherLink(GroupFolder(kOtherGroup) + "\\Other.lnk"));
        SetupDriver uninstaller;
        ASSERT_TRUE(uninstaller.Start(directory + "\\Uninstall.exe"));
        HWND question = uninstaller.WaitForMessageBox(kStepMs);
        ASSERT_TRUE(question) << "no question";
        EXPECT_EQ(kTitle, SetupDriver::WindowText(question));
        EXPECT_EQ(kUninstallQuestionZh + "\r\n\r\n" + directory, SetupDriver::MessageBoxText(question));
        ASSERT_TRUE(SetupDriver::Answer(question, IDYES));
        EXPECT_TRUE(uninstaller.WaitForExit(kStepMs));
        // Its copy in the temporary folder reports.
        HWND done = nullptr;
        ASSERT_TRUE(WaitUntil(kInstallMs, [&] { return (done = SetupDriver::FindMessageBox(0)) != nullptr; }));
        EXPECT_EQ(uninstalledZh, SetupDriver::MessageBoxText(done));
        ASSERT_TRUE(SetupDriver::Answer(done, IDOK));
        ExpectRemoved(directory);
        EXPECT_FALSE(InstallReport::RecordExists()) << "the record named this directory";
        EXPECT_EQ(std::vector<std::string>{"my notes.txt"}, InstallReport::ListTree(directory));
        EXPECT_EQ(std::vector<std::string>{"my list.txt"}, InstallReport::ListTree(GroupFolder(group)));
        EXPECT_EQ(std::vector<std::string>{"Other.lnk"}, InstallReport::ListTree(GroupFolder(kOtherGroup)));
        EXPECT_EQ(std::vector<std::string>(), PlantedDllsRun(downloads));
        EXPECT_EQ(std::vector<std::string>(), PlantedDllsRun(temp));
        CleanProfile();
    }
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

// Its own folder is what Uninstall.exe removes from, so a drive root, a system folder or a
// missing list makes it refuse: saying so (silently with /S), it ends with its refusal
// code, and the listed file stays.
TEST_F(InstallTest, TheUninstallerRefusesADriveRootASystemFolderAndAMissingList)
{
    const std::string refusedZh =   // 卸载程序不能在此目录中执行：
        "\xD0\xB6\xD4\xD8\xB3\xCC\xD0\xF2\xB2\xBB\xC4\xDC\xD4\xDA\xB4\xCB\xC4\xBF\xC2\xBC\xD6\xD0\xD6\xB4\xD0\xD0\xA3\xBA";
    std::vector<uint8_t> lang, listed;
    std::string error;
    ASSERT_TRUE(FileBytes::Read(DemoLang(), lang, error)) << error;
    ASSERT_TRUE(ProductUninstaller::MakeProgram(WinPath(ORVANTA_UNINSTALL_EXE), lang, "F victim.txt\r\n", listed, error))
        << error;
    const struct {
        std::string folder, program;
        bool silent;
    } rows[] = {
        {"C:", std::string(listed.begin(), listed.end()), true},
        {"C:\\Program Files", std::string(listed.begin(), listed.end()), false},
        {scratch_.str(), ReadBytes(WinPath(ORVANTA_UNINSTALL_EXE)), true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.folder);
        std::string program = row.folder + "\\Uninstall.exe", victim = row.folder + "\\victim.txt";
        WriteBytes(program, row.program);
        WriteBytes(victim, "listed");
        SetupDriver run;
        ASSERT_TRUE(run.Start(program, row.silent ? "/S" : ""));
        if (!row.silent) {
            HWND box = run.WaitForMessageBox(kStepMs);
            ASSERT_TRUE(box);
            EXPECT_EQ(kTitle, SetupDriver::WindowText(box));
            EXPECT_EQ(refusedZh + "\r\n\r\n" + row.folder, SetupDriver::MessageBoxText(box));
            ASSERT_TRUE(SetupDriver::Answer(box, IDOK));
        }
        DWORD code = 0;
        EXPECT_TRUE(run.WaitForExit(kStepMs, &code));
        EXPECT_EQ(2u, code);
        EXPECT_EQ("listed", ReadBytes(victim));
        EXPECT_TRUE(TempEntries("OrvantaUninstall-").empty()) << "no working folder is left";
        ::DeleteFileA(program.c_str());
        ::DeleteFileA(victim.c_str());
    }
}

} // namespace
} // namespace e2e
