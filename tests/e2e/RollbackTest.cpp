// Installations that do not finish: cancelled on the progress page or failed, which end
// on the cancel page and leave nothing of their run behind and never anything the user
// had; and programs that may not run at all, which say so before any page and touch nothing.
#include "E2eFixture.h"

#include <filesystem>
#include <functional>

#include "framework/RegKey.h"
#include "framework/ScopedHandle.h"
#include "tools/FileBytes.h"
#include "tools/ProductUninstaller.h"

namespace e2e {
namespace {

class RollbackTest : public E2eTest {
protected:
    // Installs; with a big last file, cancels once it is being written; with a held file,
    // answers the question for that file in use with Cancel. Either way the run ends on
    // the cancel page, and the setup is left.
    void RunToCancelPage(const std::string& setup, const Choices& choices, const std::string& bigFile = "",
                         const std::string& heldFile = "")
    {
        const std::string notInstalledZh = "Orvanta 4.00没有正确的安装成功.";
        const std::string inUseZh = "无法写入下面的文件：一个正在运行的程序正在使用它。请关闭该程序，然后按“重试”；"
                                    "按“取消”将放弃安装。\r\n\r\n" + heldFile;
        SetupDriver d;
        ASSERT_NO_FATAL_FAILURE(OpenAndConfirm(d, setup, choices));
        if (!heldFile.empty()) {
            HWND box = d.WaitForMessageBox(kInstallMs);
            ASSERT_TRUE(box) << "no question for the file in use";
            // The programs holding it follow, one a line, where the system can tell.
            EXPECT_EQ(inUseZh, SetupDriver::MessageBoxText(box).substr(0, inUseZh.size()));
            ASSERT_TRUE(SetupDriver::Answer(box, IDCANCEL));
        }
        if (!bigFile.empty()) {
            ASSERT_TRUE(d.WaitForPage(6, kStepMs)) << "no progress page";
            ASSERT_TRUE(WaitUntil(kInstallMs, [&] { return Exists(bigFile) || d.CurrentPage() != 6; }));
            ASSERT_EQ(6, d.CurrentPage()) << "the installation ended before it could be cancelled";
            EXPECT_TRUE(Exists(choices.directory + "\\terminal.exe")) << "the demo's files come first";
            ASSERT_TRUE(d.Press(1003));
            HWND box = d.WaitForMessageBox(kStepMs);
            ASSERT_TRUE(box && d.CurrentPage() == 6) << "the abandon question while the installation runs";
            ASSERT_TRUE(SetupDriver::Answer(box, IDYES));
        }
        ASSERT_NO_FATAL_FAILURE(EndsOn(d, 8));
        EXPECT_TRUE(WaitUntil(kStepMs, [&] { return d.Text(1022) == notInstalledZh; }));
        ASSERT_TRUE(d.Press(1003));
        ASSERT_TRUE(d.WaitForExit(kInstallMs)) << "the setup did not end";
        EXPECT_FALSE(!bigFile.empty() && Exists(bigFile)) << "the half-written file is gone";
    }
};

// The demo plus one big file that sorts last, so the demo's own files are written when
// the cancel comes. Zeros deflate to almost nothing: packing and unpacking the container
// cost little while writing takes chunk after chunk, each one reported to the wizard.
TEST_F(RollbackTest, CancelDuringProgressLeavesNothingOfTheRun)
{
    std::string product = scratch_.file("slow-product");
    std::filesystem::copy(kDemoProduct, product, std::filesystem::copy_options::recursive);
    WriteBytes(product + "\\zzbig.bin", "");
    std::filesystem::resize_file(product + "\\zzbig.bin", 384 << 20);
    Choices choices{scratch_.file("new\\Orvanta Cancelled"), false, kGroup};
    ASSERT_NO_FATAL_FAILURE(RunToCancelPage(Pack("setup-slow", product), choices, choices.directory + "\\zzbig.bin"));
    EXPECT_FALSE(Exists(choices.directory) || Exists(GroupFolder(kGroup)) || Exists(DesktopLink()) ||
                 Exists(WorkInstallFolder()) || InstallReport::RecordExists()) << InstallReport::Describe();
}

// A reinstallation into the recorded directory that fails (a product file is locked, as a
// running program locks it, and the user cancels the question that names it) ends on the
// cancel page and leaves the previous installation, the user's file in it, its group, its
// desktop shortcut and its record as they were.
TEST_F(RollbackTest, AFailedReinstallationKeepsThePreviousInstallation)
{
    std::string setup = Pack("setup-again");
    Choices choices{scratch_.file("Orvanta Kept"), false, kGroup};
    ASSERT_NO_FATAL_FAILURE(Install(setup, choices));
    std::string notes = choices.directory + "\\notes.txt";
    WriteBytes(notes, "the user's own notes");
    const std::string before = InstallReport::Describe();
    ScopedHandle lock(FileApi::Open(choices.directory + "\\terminal.exe", GENERIC_READ, 0, OPEN_EXISTING, 0));
    ASSERT_TRUE(lock);
    choices.existingDirectory = true;
    ASSERT_NO_FATAL_FAILURE(RunToCancelPage(setup, choices, "", choices.directory + "\\terminal.exe"));
    EXPECT_EQ("the user's own notes", ReadBytes(notes));
    EXPECT_EQ(before, InstallReport::Describe()) << "record, files and shortcuts as they were";
}

// A run abandoned at a repair start (the record's "Repair" left at 1 by a run that was
// cut off) removes the recorded installation exactly as its log lists it: the folder the
// user installed into keeps the user's and other programs' files, and the shared group
// keeps another product's shortcut, byte for byte.
TEST_F(RollbackTest, AnAbandonedRepairStartKeepsTheUsersFolderAndGroup)
{
    std::string product = scratch_.file("slow-product");
    std::filesystem::copy(kDemoProduct, product, std::filesystem::copy_options::recursive);
    WriteBytes(product + "\\zzbig.bin", "");
    std::filesystem::resize_file(product + "\\zzbig.bin", 160 << 20);
    const std::string shared = scratch_.file("Apps"), otherLink = GroupFolder(kGroup) + "\\Other Product.lnk";
    std::filesystem::create_directories(shared + "\\Other Program");
    std::filesystem::create_directories(GroupFolder(kGroup));
    WriteBytes(shared + "\\Other Program\\other.exe", "another program");
    WriteBytes(shared + "\\notes.txt", "the user's own notes");
    WriteBytes(otherLink, "another product's link");
    std::string setup = Pack("setup-repair", product);
    ASSERT_NO_FATAL_FAILURE(Install(setup, Choices{shared, true, kGroup}));
    ASSERT_TRUE(Exists(shared + "\\zzbig.bin") && Exists(DesktopLink()));
    RegKey record;
    ASSERT_TRUE(record.Open(HKEY_CURRENT_USER, "Software\\Orvanta", KEY_SET_VALUE) && record.SetString("Repair", "1"));
    record.Close();

    SetupDriver d;
    ASSERT_TRUE(d.Start(setup, ""));
    ASSERT_TRUE(d.WaitForFrame(kStepMs));
    ASSERT_TRUE(d.WaitForPage(6, kStepMs)) << "a repair start goes to the progress page";
    ASSERT_TRUE(d.Press(1003));
    HWND box = d.WaitForMessageBox(kStepMs);
    ASSERT_TRUE(box && d.CurrentPage() == 6) << "the repair ended before it could be abandoned";
    ASSERT_TRUE(SetupDriver::Answer(box, IDYES));
    ASSERT_NO_FATAL_FAILURE(EndsOn(d, 8));
    ASSERT_TRUE(d.Press(1003));
    ASSERT_TRUE(d.WaitForExit(kInstallMs));

    EXPECT_EQ((std::vector<std::string>{"Other Program\\", "Other Program\\other.exe", "notes.txt"}),
              InstallReport::ListTree(shared));
    EXPECT_EQ("another program", ReadBytes(shared + "\\Other Program\\other.exe"));
    EXPECT_EQ("the user's own notes", ReadBytes(shared + "\\notes.txt"));
    EXPECT_EQ(std::vector<std::string>{"Other Product.lnk"}, InstallReport::ListTree(GroupFolder(kGroup)));
    EXPECT_EQ("another product's link", ReadBytes(otherLink));
    EXPECT_FALSE(Exists(DesktopLink()) || InstallReport::RecordExists());
}

// A program that may not run says so in one box (nothing under /S), opens no wizard and
// ends with its code, leaving the shared working folder and the record as they were: a
// second setup while one runs (with the title of its own container); a truncated
// download, a changed payload byte (unsigned and signed) and a setup without any
// container, each against a record waiting for its repair; and Uninstall.exe in a folder
// the remover refuses, or without its list, where the listed file stays. A setup of an
// older packer, without the checksum, opens its wizard.
TEST_F(RollbackTest, AProgramThatMayNotRunSaysSoAndTouchesNothing)
{
    auto state = [this] {
        std::string work = WorkInstallFolder() + "\\Orva.in";
        std::string bytes = std::to_string(std::hash<std::string>()(ReadBytes(work)));
        return bytes + "@" + std::to_string(WriteTime(work)) + "\n" + InstallReport::Describe();
    };
    auto expectRefused = [&](const std::string& program, const std::string& arguments, const std::string& title,
                             const std::string& text, DWORD exitCode) {
        SCOPED_TRACE(program);
        std::string before = state();
        SetupDriver d;
        ASSERT_TRUE(d.Start(program, arguments));
        if (!text.empty()) {
            HWND box = d.WaitForMessageBox(kStepMs);
            ASSERT_TRUE(box) << "no message";
            EXPECT_EQ(title, SetupDriver::WindowText(box));
            EXPECT_EQ(text, SetupDriver::MessageBoxText(box));
            EXPECT_FALSE(d.WaitForFrame(0)) << "no wizard";
            EXPECT_EQ(before, state()) << "what was unpacked goes before the box";
            ASSERT_TRUE(SetupDriver::Answer(box, IDOK));
        }
        DWORD code = 0;
        ASSERT_TRUE(d.WaitForExit(kStepMs, &code));
        EXPECT_EQ(exitCode, code);
        EXPECT_EQ(before, state()) << "working folder and record untouched";
    };
    // Packed, then changed as a download or an older packer would have left it.
    auto packChanged = [&](const char* name, const std::function<void(std::string&)>& change) {
        std::string setup = Pack(name), bytes = ReadBytes(setup);
        change(bytes);
        WriteBytes(setup, bytes);
        return setup;
    };

    // The older packer's setup: its checksum under another name, so the setup finds none.
    std::string older = packChanged("setup-older", [](std::string& b) { b.replace(b.rfind("crc32"), 5, "crcxx"); });
    std::string lang = scratch_.file("lang.ini");
    WriteBytes(lang, "[install]\r\ntitle=Second Setup Title\r\n");
    {
        SetupDriver first;
        ASSERT_TRUE(first.Start(older) && first.WaitForFrame(kStepMs));
        ASSERT_TRUE(WaitUntil(kStepMs, [&] { return Exists(WorkInstallFolder() + "\\Orva.in"); }));
        expectRefused(Pack("setup-second", kDemoProduct, lang), "", "Second Setup Title",
                      "Another instance of Second Setup Title setup is running", 2);
    }
    CleanProfile();

    std::string truncated = packChanged("setup-truncated", [](std::string& b) { b.resize(b.size() - 7); });
    // One byte of Orva.in (the reversed product archive), which lies first behind the stub.
    const size_t payloadByte = ReadBytes(kSetupStub).size() + 5000;
    std::string changed = packChanged("setup-changed", [&](std::string& b) { b.at(payloadByte) ^= 1; });
    {
        RegKey waiting;
        ASSERT_TRUE(waiting.Create(HKEY_CURRENT_USER, InstallRecordKey::Path) &&
                    waiting.SetString(InstallRecordKey::InstallPath, "C:\\Old") &&
                    waiting.SetString(InstallRecordKey::Repair, "1"));
    }
    const std::string damagedZh = "安装程序已损坏或无法完整解开，请重新下载安装程序。";
    for (const std::string& setup : {truncated, changed, kSetupStub, kSignedSetupDir + "\\signed-changed.exe"})
        expectRefused(setup, "", kTitle, damagedZh, 3);

    std::vector<uint8_t> langBytes, listed;
    std::string error;
    ASSERT_TRUE(FileBytes::Read(WinPath(ORVANTA_DEMO_DIR "/lang.ini"), langBytes, error)) << error;
    ASSERT_TRUE(ProductUninstaller::MakeProgram(kGenericUninstaller, langBytes, "F victim.txt\r\n", listed, error));
    const std::string refusedZh = "卸载程序不能在此目录中执行：";
    const struct {
        std::string folder, program, refusal;
    } uninstallers[] = {
        {"C:\\Program Files", std::string(listed.begin(), listed.end()), refusedZh + "\r\n\r\nC:\\Program Files"},
        {scratch_.str(), ReadBytes(kGenericUninstaller), ""},   // without its list; silent
    };
    for (const auto& row : uninstallers) {
        std::string program = row.folder + "\\Uninstall.exe", victim = row.folder + "\\victim.txt";
        WriteBytes(program, row.program);
        WriteBytes(victim, "listed");
        expectRefused(program, row.refusal.empty() ? "/S" : "", kTitle, row.refusal, 2);
        EXPECT_EQ("listed", ReadBytes(victim));
        FileApi::RemoveFile(program);
        FileApi::RemoveFile(victim);
    }
}

} // namespace
} // namespace e2e
