// The real, packed setup.exe installing the demo product, driven from outside as a person
// would, and the Uninstall.exe the packer added removing it again.
#include "E2eFixture.h"

#include "framework/ScopedHandle.h"
#include "tools/ProductArchive.h"

#include <filesystem>

namespace e2e {
namespace {

using InstallTest = E2eTest;

// The publisher's setup, signed by the packer with its uninstaller, started from a
// downloads folder where DLLs were planted,
// loads none of them and installs in English into a typed group and a directory whose
// parents do not exist yet; the finish page launches the application. Uninstall.exe asks,
// and its copy in its work folder below the temporary folder, beside DLLs planted there
// too, removes it all and reports, and then the original ends with its result. The user's
// own files and a shortcut it cannot read stay with their folders.
TEST_F(InstallTest, SignedInEnglishIntoTypedPlacesLaunchedThenRemovedLeavingTheUsersOwn)
{
    const std::string uninstalledZh = "Orvanta 4.00 已经从您的计算机中移除.";
    const std::string downloads = scratch_.file("Downloads"), setup = downloads + "\\OrvantaSetup.exe";
    ASSERT_TRUE(FileApi::MakeFolder(downloads));
    ASSERT_TRUE(FileApi::Copy(kSignedSetupDir + "\\signed.exe", setup, false))
        << "made by the e2e_signed_setup test";
    PlantDlls(downloads);
    const Choices choices{scratch_.file("new\\parents\\Orvanta"), false, kGroup, 1};
    const std::string finish = "Orvanta 4.00 has been installed.\r\nPress OK to leave setup.";
    ASSERT_NO_FATAL_FAILURE(Install(setup, choices, finish, true)) << PlantedDllsRun(downloads) << " ran";
    EXPECT_EQ(ReadBytes(kSignedSetupDir + "\\uninstall-signed.exe"), ReadBytes(choices.directory + "\\Uninstall.exe"))
        << "the uninstaller the packer signed is the one installed";
    std::vector<DWORD> launched;
    EXPECT_TRUE(WaitUntil(kStepMs, [&] { return !(launched = Processes("terminal.exe")).empty(); }));
    for (DWORD id : launched) {
        ScopedHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
        EXPECT_TRUE(::TerminateProcess(process.get(), 0) && ::WaitForSingleObject(process.get(), kStepMs) == 0);
    }
    ExpectInstalled(choices.directory, kGroup, setup);

    WriteBytes(choices.directory + "\\my notes.txt", "mine");
    WriteBytes(GroupFolder(kGroup) + "\\Other.lnk", "not a link");
    SetupDriver uninstaller;
    ASSERT_TRUE(uninstaller.Start(choices.directory + "\\Uninstall.exe"));
    const HWND question = uninstaller.WaitForMessageBox(kStepMs);
    ASSERT_TRUE(question) << "no question";
    // Its work folder, where its copy will start, is there while it asks, the only one.
    std::string copyFolder;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::temp_directory_path()))
        if (entry.path().filename().string().rfind("OrvantaUninstall-", 0) == 0)
            copyFolder = entry.path().u8string();
    ASSERT_FALSE(copyFolder.empty());
    PlantDlls(copyFolder);
    ASSERT_TRUE(SetupDriver::Answer(question, IDYES));
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil(kInstallMs, [&] { return (box = SetupDriver::FindMessageBox(0)) && box != question; }));
    EXPECT_EQ(uninstalledZh, SetupDriver::MessageBoxText(box));
    EXPECT_TRUE(uninstaller.Running()) << "the original waits for the result";
    ASSERT_TRUE(SetupDriver::Answer(box, IDOK));
    DWORD code = 99;
    EXPECT_TRUE(uninstaller.WaitForExit(kStepMs, &code) && code == 0) << code;
    ExpectRemoved(choices.directory);
    EXPECT_EQ(std::vector<std::string>{"Other.lnk"}, InstallReport::ListTree(GroupFolder(kGroup)));
    EXPECT_EQ(0, PlantedDllsRun(downloads));
    EXPECT_EQ(0, PlantedDllsRun(copyFolder));
}

// A deployment script's Uninstall.exe /S ends once the removal has, with its result: 0 with
// nothing of the product left, or 1 when another program holds a product file open, which
// alone stays with the user's file. A script may reinstall at once.
TEST_F(InstallTest, SilentUninstallEndsWithTheRemovalAndItsResult)
{
    const std::string setup = Pack("setup"), directory = kDefaultDirectory;
    const struct {
        bool locked;
        DWORD code;
        std::vector<std::string> left;
    } rows[] = {
        {false, 0, {"my notes.txt"}},
        {true, 1, {"my notes.txt", "terminal.exe"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.locked ? "locked" : "complete");
        ASSERT_NO_FATAL_FAILURE(Install(setup, Choices()));
        WriteBytes(directory + "\\my notes.txt", "mine");
        ScopedHandle lock(row.locked ? FileApi::Open(directory + "\\terminal.exe", GENERIC_READ, 0, OPEN_EXISTING, 0)
                                     : nullptr);
        SetupDriver uninstaller;
        ASSERT_TRUE(uninstaller.Start(directory + "\\Uninstall.exe", "/S"));
        DWORD code = 99;
        ASSERT_TRUE(uninstaller.WaitForExit(kInstallMs, &code));
        EXPECT_EQ(row.code, code);
        EXPECT_EQ(row.left, InstallReport::ListTree(directory));
        EXPECT_EQ("mine", ReadBytes(directory + "\\my notes.txt"));
        EXPECT_FALSE(Exists(GroupFolder(kTitle)) || Exists(DesktopLink()) || InstallReport::RecordExists())
            << InstallReport::Describe();
        lock.reset();
        CleanProfile();
    }
}

// Another process of the user goes at the working folder: while the wizard shows its first
// page, at the unpacked payload, its checksum and lang.ini; while the items are written,
// at the decoded archive. It deletes, overwrites and replaces each by rename with a payload
// of the product and evil.dll. Every attempt fails, and the product is installed as it is.
TEST_F(InstallTest, NoOtherProcessChangesWhatTheSetupUnpacked)
{
    const std::string product = scratch_.file("big-product"), evil = scratch_.file("evil-product");
    for (const std::string& folder : {product, evil})
        std::filesystem::copy(kDemoProduct, folder, std::filesystem::copy_options::recursive);
    WriteBytes(product + "\\zzbig.bin", "");
    std::filesystem::resize_file(product + "\\zzbig.bin", 256 << 20);
    WriteBytes(evil + "\\evil.dll", "evil");
    std::vector<uint8_t> zip;
    std::string error, evilPayload = scratch_.file("evil.in");
    ASSERT_TRUE(ProductArchive::ZipFolder(evil, zip, error)) << error;
    WriteBytes(evilPayload, std::string(zip.rbegin(), zip.rend()));
    auto tamper = [&](const std::vector<const char*>& files) {
        std::string arguments = "\"" + evilPayload + "\"";
        for (const char* file : files)
            for (const char* action : {"delete", "overwrite", "rename"})
                arguments += std::string(" ") + action + " \"" + WorkInstallFolder() + "\\" + file + "\"";
        SetupDriver attacker;
        DWORD succeeded = 0;
        ASSERT_TRUE(attacker.Start(kTamper, arguments) && attacker.WaitForExit(kStepMs, &succeeded));
        EXPECT_EQ(0u, succeeded) << "attempts that succeeded, one bit each, in order";
        for (const char* file : files)
            EXPECT_TRUE(Exists(WorkInstallFolder() + "\\" + file)) << file << " was not there throughout";
    };
    Choices choices{scratch_.file("Orvanta"), false, kGroup};
    choices.onFirstPage = [&](SetupDriver&) { tamper({"Orva.in", "Orva.in.crc32", "lang.ini"}); };
    choices.onRun = [&](SetupDriver& d) {
        std::string last = choices.directory + "\\zzbig.bin";
        ASSERT_TRUE(d.WaitForPage(6, kStepMs));
        ASSERT_TRUE(WaitUntil(kInstallMs, [&] { return Exists(last) || d.CurrentPage() != 6; }));
        ASSERT_EQ(6, d.CurrentPage()) << "the items were written before the attempts";
        tamper({"Orva.zip"});
    };
    std::string setup = Pack("setup", product);
    ASSERT_NO_FATAL_FAILURE(Install(setup, choices));
    ExpectInstalled(choices.directory, kGroup, setup, product);
}

// Archives of one product folder made by the usual tools, each handed to the packer as a
// ready ZIP and installed through the wizard: the installed tree is the folder, names and
// bytes alike.
TEST_F(InstallTest, ArchivesOfCommonToolsInstallAsTheirFolder)
{
    const std::string interop = WinPath(ORVANTA_INTEROP_DIR);
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
    const std::string finishZh = "Orvanta 4.00已经安装完成.\r\n请按确定键来离开安装程序";
    std::string setup = Pack("setup");
    ASSERT_NO_FATAL_FAILURE(Install(setup, Choices(), finishZh));
    EXPECT_TRUE(Processes("terminal.exe").empty()) << "the unticked launch box starts nothing";
    ExpectInstalled(kDefaultDirectory, kTitle, setup);
}

// Without a record the uninstaller still knows its product: it asks in the built-in
// Chinese under the demo's title, No removes nothing, /S removes every product file,
// folder and shortcut with the group and says nothing; the copy that removed is left to
// the system to delete at the next start.
TEST_F(DISABLED_AfterRestart, UninstallerRemovesWithoutTheRecord)
{
    ASSERT_FALSE(InstallReport::RecordExists()) << "the record is volatile";
    const std::string directory = kDefaultDirectory, uninstaller = directory + "\\Uninstall.exe";
    WriteBytes(directory + "\\my notes.txt", "mine");
    std::vector<std::string> installed = InstallReport::ListTree(directory);
    SetupDriver asked;
    ASSERT_TRUE(asked.Start(uninstaller));
    HWND question = asked.WaitForMessageBox(kStepMs);
    ASSERT_TRUE(question) << "no question";
    const std::string questionZh = "您确定要完全移除 Orvanta 4.00 及其所有组件吗？";
    EXPECT_EQ(kTitle, SetupDriver::WindowText(question));
    EXPECT_EQ(questionZh + "\r\n\r\n" + directory, SetupDriver::MessageBoxText(question));
    ASSERT_TRUE(SetupDriver::Answer(question, IDNO));
    EXPECT_TRUE(asked.WaitForExit(kStepMs));
    EXPECT_EQ(installed, InstallReport::ListTree(directory)) << "No removes nothing";

    SetupDriver silent;
    ASSERT_TRUE(silent.Start(uninstaller, "/S"));
    EXPECT_TRUE(silent.WaitForExit(kStepMs));
    ExpectRemoved(directory);
    EXPECT_FALSE(Exists(GroupFolder(kTitle)));
    EXPECT_FALSE(SetupDriver::FindMessageBox(0)) << "a silent removal says nothing";
    wchar_t pending[8192] = {};
    DWORD size = sizeof(pending) - sizeof(wchar_t);
    ::RegGetValueW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager",
                   L"PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, pending, &size);
    EXPECT_NE(std::wstring::npos, std::wstring(pending, size / sizeof(wchar_t)).find(L"OrvantaUninstall-"))
        << "no deletion at restart";
}

} // namespace
} // namespace e2e
