// Installations that do not finish: cancelled on the progress page, which ends on the
// cancel page and leaves nothing of its run behind and never anything of the user's; and
// damaged setups, which say so before any page.
#include "E2eFixture.h"

#include <filesystem>
#include <fstream>


namespace e2e {
namespace {

// Cancel page text 10023, built-in (code page 936).
const std::string kNotInstalledZh =
    "Orvanta 4.00\xC3\xBB\xD3\xD0\xD5\xFD\xC8\xB7\xB5\xC4\xB0\xB2\xD7\xB0\xB3\xC9\xB9\xA6.";
// Damaged-setup text 10026, built-in: 安装程序已损坏或无法完整解开，请重新下载安装程序。
const std::string kDamagedZh =
    "\xB0\xB2\xD7\xB0\xB3\xCC\xD0\xF2\xD2\xD1\xCB\xF0\xBB\xB5\xBB\xF2\xCE\xDE\xB7\xA8\xCD\xEA\xD5\xFB"
    "\xBD\xE2\xBF\xAA\xA3\xAC\xC7\xEB\xD6\xD8\xD0\xC2\xCF\xC2\xD4\xD8\xB0\xB2\xD7\xB0\xB3\xCC\xD0\xF2\xA1\xA3";

class RollbackTest : public E2eTest {
protected:
    // Walks the wizard and installs; with a big last file, cancels once it is being written.
    // Either way the run ends on the cancel page, and the setup is left.
    void RunToCancelPage(const std::string& setup, const Choices& choices, const std::string& bigFile = "")
    {
        SetupDriver d;
        ASSERT_TRUE(Open(d, setup)) << "no wizard";
        ASSERT_NO_FATAL_FAILURE(WalkToConfirm(d, choices));
        ASSERT_TRUE(d.Press(1001));
        if (!bigFile.empty()) {
            ASSERT_TRUE(d.WaitForPage(6, kStepMs)) << "no progress page";
            ASSERT_TRUE(WaitUntil(kInstallMs, [&] { return Exists(bigFile) || d.CurrentPage() != 6; }));
            ASSERT_EQ(6, d.CurrentPage()) << "the installation ended before it could be cancelled";
            EXPECT_TRUE(Exists(choices.directory + "\\terminal.exe")) << "the demo's files come first";
            ASSERT_TRUE(d.Press(1003));
            HWND box = d.WaitForMessageBox(kStepMs);
            ASSERT_TRUE(box) << "the abandon question";
            ASSERT_EQ(6, d.CurrentPage()) << "the installation ended before the question was answered";
            ASSERT_TRUE(SetupDriver::Answer(box, IDYES));
        }
        ASSERT_NO_FATAL_FAILURE(EndsOn(d, 8));
        ExpectText(d, 1022, kNotInstalledZh);
        ASSERT_TRUE(d.Press(1003));
        ASSERT_TRUE(d.WaitForExit(kInstallMs)) << "the setup did not end";
        EXPECT_FALSE(!bigFile.empty() && Exists(bigFile)) << "the half-written file is gone";
    }
};

// The demo plus one big file that sorts last, so the demo's own files are written when
// the cancel comes. Zeros deflate to almost nothing: packing and unpacking the container
// cost little while writing takes chunk after chunk, each one reported to the wizard.
TEST_F(RollbackTest, CancelDuringProgressRemovesOnlyWhatTheRunMade)
{
    std::string product = scratch_.file("slow-product");
    std::error_code ec;
    std::filesystem::copy(DemoProduct(), product, std::filesystem::copy_options::recursive, ec);
    std::ofstream big(product + "\\zzbig.bin", std::ios::binary);
    std::vector<char> zeros(1 << 20);
    for (int mebibytes = 0; mebibytes < 384; ++mebibytes)
        big.write(zeros.data(), zeros.size());
    big.close();
    std::string setup = Pack("setup-slow", product);

    Choices choices;
    choices.directory = scratch_.file("Orvanta Cancelled");
    choices.group = kGroup;
    ASSERT_NO_FATAL_FAILURE(RunToCancelPage(setup, choices, choices.directory + "\\zzbig.bin"));
    ExpectNothingInstalled(choices.directory, kGroup);

    // Into an existing directory: the user's own files there stay.
    choices.directory = scratch_.file("Tools");
    choices.existingDirectory = true;
    std::filesystem::create_directories(choices.directory + "\\sub", ec);
    WriteBytes(choices.directory + "\\mine.txt", "the user's own notes");
    WriteBytes(choices.directory + "\\sub\\own.dat", "more of the user's own");
    ASSERT_NO_FATAL_FAILURE(RunToCancelPage(setup, choices, choices.directory + "\\zzbig.bin"));
    EXPECT_EQ((std::vector<std::string>{"mine.txt", "sub\\", "sub\\own.dat"}), InstallReport::ListTree(choices.directory));
    EXPECT_EQ("the user's own notes", ReadBytes(choices.directory + "\\mine.txt"));
    EXPECT_EQ("more of the user's own", ReadBytes(choices.directory + "\\sub\\own.dat"));
    ExpectNothingInstalled("", kGroup);
}

// A reinstallation into the recorded directory that fails (a product file is locked, as a
// running program locks it) ends on the cancel page and leaves the previous installation,
// the user's file in it, its group, its desktop shortcut and its record as they were.
TEST_F(RollbackTest, AFailedReinstallationKeepsThePreviousInstallation)
{
    std::string setup = Pack("setup-again");
    Choices choices;
    choices.directory = scratch_.file("Orvanta Kept");
    choices.group = kGroup;
    ASSERT_NO_FATAL_FAILURE(Install(setup, choices));

    std::string notes = choices.directory + "\\notes.txt";
    WriteBytes(notes, "the user's own notes");
    HANDLE lock = ::CreateFileA((choices.directory + "\\terminal.exe").c_str(), GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    choices.existingDirectory = true;
    ASSERT_NO_FATAL_FAILURE(RunToCancelPage(setup, choices));
    ::CloseHandle(lock);
    EXPECT_EQ("the user's own notes", ReadBytes(notes));
    ::DeleteFileA(notes.c_str());
    ExpectInstalled(choices.directory, kGroup, setup);
}

// A truncated download, a changed payload byte (unsigned and signed), and a setup without
// any container each say at once that the setup is damaged: one box, no wizard page, an
// exit code that is not 0, nothing unpacked left behind, and the record of an earlier
// installation (here one waiting for its repair) exactly as it was. A setup of an older
// packer, without the checksum, is checked for the rest only and opens its wizard.
TEST_F(RollbackTest, DamagedSetupsSaySoBeforeAnyPage)
{
    // The older packer's setup: its checksum under another name, so the setup finds none.
    std::string older = Pack("setup-older");
    std::string bytes = ReadBytes(older);
    size_t name = bytes.rfind("Orva.in.crc32");
    ASSERT_NE(std::string::npos, name);
    bytes[name + 12] = 'x';
    WriteBytes(older, bytes);
    {
        SetupDriver d;
        EXPECT_TRUE(Open(d, older));
    }

    std::string truncated = Pack("setup-truncated");
    bytes = ReadBytes(truncated);
    WriteBytes(truncated, bytes.substr(0, bytes.size() - 7));
    // Orva.in (the reversed product archive) lies first behind the stub.
    std::string changed = Pack("setup-changed");
    bytes = ReadBytes(changed);
    size_t payloadByte = ReadBytes(SetupStub()).size() + 5000;
    ASSERT_GT(bytes.size(), payloadByte);
    bytes[payloadByte] = char(bytes[payloadByte] ^ 0x01);
    WriteBytes(changed, bytes);
    std::string bare = scratch_.file("setup-bare.exe");
    ASSERT_TRUE(::CopyFileA(SetupStub().c_str(), bare.c_str(), FALSE));
    std::string signedChanged = SignedSetupDir() + "\\signed-changed.exe";
    ASSERT_TRUE(Exists(signedChanged)) << "made by the e2e_signed_setup test";

    const char* key = InstallRecordKey::Path;
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeyValueA(HKEY_CURRENT_USER, key, InstallRecordKey::InstallPath, REG_SZ, "C:\\Earlier", 11));
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeyValueA(HKEY_CURRENT_USER, key, InstallRecordKey::Repair, REG_SZ, "1", 2));
    std::string record = InstallReport::Describe();
    for (const std::string& setup : {truncated, changed, bare, signedChanged}) {
        SCOPED_TRACE(setup);
        SetupDriver d;
        ASSERT_TRUE(d.Start(setup));
        HWND box = d.WaitForMessageBox(kStepMs);
        ASSERT_TRUE(box) << "no message";
        EXPECT_EQ(kTitle, SetupDriver::WindowText(box));
        EXPECT_EQ(kDamagedZh, SetupDriver::MessageBoxText(box));
        EXPECT_FALSE(d.WaitForFrame(0)) << "no wizard";
        EXPECT_FALSE(Exists(WorkInstallFolder())) << "what was unpacked goes before the box shows";
        ASSERT_TRUE(SetupDriver::Answer(box, IDOK));
        DWORD exitCode = 0;
        ASSERT_TRUE(d.WaitForExit(kStepMs, &exitCode));
        EXPECT_NE(0u, exitCode);
        EXPECT_EQ(record, InstallReport::Describe()) << "the record is untouched";
    }
}

} // namespace
} // namespace e2e
