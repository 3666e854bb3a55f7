// Installations that do not finish: cancelled on the progress page or failed, which end
// on the cancel page and leave nothing of their run behind and never anything the user
// had; and setups that may not run at all, which say so in one box before any page.
#include "E2eFixture.h"

#include <filesystem>
#include <fstream>

namespace e2e {
namespace {

class RollbackTest : public E2eTest {
protected:
    // Walks the wizard and installs; with a big last file, cancels once it is being written.
    // Either way the run ends on the cancel page, and the setup is left.
    void RunToCancelPage(const std::string& setup, const Choices& choices, const std::string& bigFile = "")
    {
        const std::string notInstalledZh =   // Orvanta 4.00没有正确的安装成功.
            "Orvanta 4.00\xC3\xBB\xD3\xD0\xD5\xFD\xC8\xB7\xB5\xC4\xB0\xB2\xD7\xB0\xB3\xC9\xB9\xA6.";
        SetupDriver d;
        ASSERT_TRUE(Open(d, setup)) << "no wizard";
        ASSERT_NO_FATAL_FAILURE(WalkAndConfirm(d, choices));
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
        ExpectText(d, 1022, notInstalledZh);
        ASSERT_TRUE(d.Press(1003));
        ASSERT_TRUE(d.WaitForExit(kInstallMs)) << "the setup did not end";
        EXPECT_FALSE(!bigFile.empty() && Exists(bigFile)) << "the half-written file is gone";
    }
};

// The demo plus one big file that sorts last, so the demo's own files are written when
// the cancel comes. Zeros deflate to almost nothing: packing and unpacking the container
// cost little while writing takes chunk after chunk, each one reported to the wizard.
// Into a new directory nothing stays; into an existing one the user's own files stay.
TEST_F(RollbackTest, CancelDuringProgressRemovesOnlyWhatTheRunMade)
{
    std::string product = scratch_.file("slow-product");
    std::filesystem::copy(DemoProduct(), product, std::filesystem::copy_options::recursive);
    std::ofstream big(product + "\\zzbig.bin", std::ios::binary);
    std::vector<char> zeros(1 << 20);
    for (int mebibytes = 0; mebibytes < 384; ++mebibytes)
        big.write(zeros.data(), zeros.size());
    big.close();
    std::string setup = Pack("setup-slow", product);

    const struct {
        const char* directory;
        std::vector<std::string> usersOwn;   // what the directory held before, folders with "\"
    } rows[] = {{"Orvanta Cancelled", {}}, {"Tools", {"mine.txt", "sub\\", "sub\\own.dat"}}};
    for (const auto& row : rows) {
        Choices choices;
        choices.directory = scratch_.file(row.directory);
        choices.existingDirectory = !row.usersOwn.empty();
        choices.group = kGroup;
        SCOPED_TRACE(choices.directory);
        for (const std::string& item : row.usersOwn) {
            std::filesystem::create_directories(choices.directory + "\\" + (item.back() == '\\' ? item : ""));
            if (item.back() != '\\')
                WriteBytes(choices.directory + "\\" + item, "the user's own " + item);
        }
        ASSERT_NO_FATAL_FAILURE(RunToCancelPage(setup, choices, choices.directory + "\\zzbig.bin"));
        EXPECT_EQ(row.usersOwn, InstallReport::ListTree(choices.directory));
        for (const std::string& item : row.usersOwn)
            EXPECT_TRUE(item.back() == '\\' || ReadBytes(choices.directory + "\\" + item) == "the user's own " + item);
        ExpectNothingInstalled(row.usersOwn.empty() ? choices.directory : "", kGroup);
    }
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

// A setup that may not run says so in one box, opens no wizard and ends with its code,
// leaving the shared working folder and the record exactly as they were: a second setup
// while one runs (with the title of its own container, read in a private folder it
// removes), and a truncated download, a changed payload byte (unsigned and signed) and a
// setup without any container, each against a record waiting for its repair. A setup of
// an older packer, without the checksum, is checked for the rest only and opens its wizard.
TEST_F(RollbackTest, ASetupThatMayNotRunSaysSoInOneBoxAndTouchesNothing)
{
    const std::string damagedZh =   // 安装程序已损坏或无法完整解开，请重新下载安装程序。
        "\xB0\xB2\xD7\xB0\xB3\xCC\xD0\xF2\xD2\xD1\xCB\xF0\xBB\xB5\xBB\xF2\xCE\xDE\xB7\xA8\xCD\xEA\xD5\xFB"
        "\xBD\xE2\xBF\xAA\xA3\xAC\xC7\xEB\xD6\xD8\xD0\xC2\xCF\xC2\xD4\xD8\xB0\xB2\xD7\xB0\xB3\xCC\xD0\xF2\xA1\xA3";
    auto workState = [this] {
        std::string state;
        for (const std::string& file : {WorkInstallFolder() + "\\lang.ini", WorkInstallFolder() + "\\Orva.in"})
            state += ReadBytes(file) + std::to_string(WriteTime(file));
        return state;
    };
    auto expectRefused = [&](const std::string& setup, const std::string& title, const std::string& text,
                             DWORD exitCode) {
        SCOPED_TRACE(setup);
        std::string work = workState(), record = InstallReport::Describe();
        size_t privateFolders = TempEntries("orvanta-title-").size();
        SetupDriver d;
        ASSERT_TRUE(d.Start(setup));
        HWND box = d.WaitForMessageBox(kStepMs);
        ASSERT_TRUE(box) << "no message";
        EXPECT_EQ(title, SetupDriver::WindowText(box));
        EXPECT_EQ(text, SetupDriver::MessageBoxText(box));
        EXPECT_FALSE(d.WaitForFrame(0)) << "no wizard";
        EXPECT_EQ(work, workState()) << "what was unpacked goes before the box shows";
        ASSERT_TRUE(SetupDriver::Answer(box, IDOK));
        DWORD code = 0;
        ASSERT_TRUE(d.WaitForExit(kStepMs, &code));
        EXPECT_EQ(exitCode, code);
        EXPECT_EQ(work, workState());
        EXPECT_EQ(record, InstallReport::Describe()) << "the record is untouched";
        EXPECT_EQ(privateFolders, TempEntries("orvanta-title-").size()) << "its private folder is gone";
    };

    // The older packer's setup: its checksum under another name, so the setup finds none.
    std::string older = Pack("setup-older");
    std::string bytes = ReadBytes(older);
    size_t name = bytes.rfind("Orva.in.crc32");
    ASSERT_NE(std::string::npos, name);
    bytes[name + 12] = 'x';
    WriteBytes(older, bytes);
    std::string lang = scratch_.file("lang.ini");
    WriteBytes(lang, "[install]\r\ntitle=Second Setup Title\r\n");
    {
        SetupDriver first;
        ASSERT_TRUE(Open(first, older));
        ASSERT_TRUE(Exists(WorkInstallFolder() + "\\lang.ini")) << "the container is unpacked while the wizard runs";
        expectRefused(Pack("setup-second", DemoProduct(), lang), "Second Setup Title",
                      "Another instance of Second Setup Title setup is running", 0);
    }
    CleanProfile();

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
    const char* key = InstallRecordKey::Path;
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeyValueA(HKEY_CURRENT_USER, key, InstallRecordKey::InstallPath, REG_SZ, "C:\\Earlier", 11));
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeyValueA(HKEY_CURRENT_USER, key, InstallRecordKey::Repair, REG_SZ, "1", 2));
    for (const std::string& setup : {truncated, changed, bare, SignedSetupDir() + "\\signed-changed.exe"})
        expectRefused(setup, kTitle, damagedZh, 3);
}

} // namespace
} // namespace e2e
