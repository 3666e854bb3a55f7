// Installations that do not finish: cancelled on the progress page, and setups whose
// container or payload is damaged. Each ends on the cancel page and leaves nothing of its
// run behind, and never anything of the user's.
#include "E2eFixture.h"

#include <filesystem>
#include <fstream>

#include "tools/ProductArchive.h"

namespace e2e {
namespace {

// Cancel page text 10023, built-in (code page 936).
const std::string kNotInstalledZh =
    "Orvanta 4.00\xC3\xBB\xD3\xD0\xD5\xFD\xC8\xB7\xB5\xC4\xB0\xB2\xD7\xB0\xB3\xC9\xB9\xA6.";

class RollbackTest : public E2eTest {
protected:
    // Walks the wizard offering `languages`, installs, ends on the cancel page (after a
    // cancel once the big last file is being written, when bigFile is given) and leaves.
    void RunToCancelPage(const std::string& setup, size_t languages, const Choices& choices,
                         const std::string& bigFile = "")
    {
        SetupDriver d;
        ASSERT_TRUE(Open(d, setup)) << "no wizard";
        EXPECT_EQ(languages, d.ListItems(1006).size());
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
    ASSERT_NO_FATAL_FAILURE(RunToCancelPage(setup, 2, choices, choices.directory + "\\zzbig.bin"));
    ExpectNothingInstalled(choices.directory, kGroup);

    // Into an existing directory: the user's own files there stay.
    choices.directory = scratch_.file("Tools");
    choices.existingDirectory = true;
    std::filesystem::create_directories(choices.directory + "\\sub", ec);
    WriteBytes(choices.directory + "\\mine.txt", "the user's own notes");
    WriteBytes(choices.directory + "\\sub\\own.dat", "more of the user's own");
    ASSERT_NO_FATAL_FAILURE(RunToCancelPage(setup, 2, choices, choices.directory + "\\zzbig.bin"));
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
    SetupDriver first;
    ASSERT_TRUE(Open(first, setup));
    ASSERT_NO_FATAL_FAILURE(WalkToConfirm(first, choices));
    ASSERT_TRUE(first.Press(1001));
    ASSERT_NO_FATAL_FAILURE(EndsOn(first, 7));
    ASSERT_NO_FATAL_FAILURE(LeaveFinishPage(first, false));

    std::string notes = choices.directory + "\\notes.txt";
    WriteBytes(notes, "the user's own notes");
    HANDLE lock = ::CreateFileA((choices.directory + "\\terminal.exe").c_str(), GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    choices.existingDirectory = true;
    RunToCancelPage(setup, 2, choices);
    ::CloseHandle(lock);
    EXPECT_EQ("the user's own notes", ReadBytes(notes));
    ::DeleteFileA(notes.c_str());
    ExpectInstalled(choices.directory, kGroup, setup);
}

TEST_F(RollbackTest, DamagedSetupsEndOnTheCancelPage)
{
    // The container's index cut off: nothing is unpacked, the wizard runs on its built-in
    // texts without a language list, and the installation finds no payload.
    std::string truncated = Pack("setup-truncated");
    std::string bytes = ReadBytes(truncated);
    WriteBytes(truncated, bytes.substr(0, bytes.size() - 7));
    // Bytes in the middle of Orva.in (the reversed product archive, first behind the stub)
    // flipped: the texts still come from the container, the payload fails its checks.
    std::string corrupted = Pack("setup-corrupted");
    std::vector<uint8_t> zip;
    std::string error;
    ASSERT_TRUE(ProductArchive::ZipFolder(DemoProduct(), zip, error)) << error;
    bytes = ReadBytes(corrupted);
    size_t middle = ReadBytes(SetupStub()).size() + zip.size() / 2;
    ASSERT_GT(bytes.size(), middle + 512);
    for (size_t i = middle - 512; i < middle + 512; ++i)
        bytes[i] = char(bytes[i] ^ 0x5A);
    WriteBytes(corrupted, bytes);

    for (const auto& [setup, languages] : std::vector<std::pair<std::string, size_t>>{{truncated, 0}, {corrupted, 2}}) {
        SCOPED_TRACE(setup);
        Choices choices;
        choices.directory = scratch_.file("Orvanta Damaged");
        choices.group = kGroup;
        ASSERT_NO_FATAL_FAILURE(RunToCancelPage(setup, languages, choices));
        ExpectNothingInstalled(choices.directory, kGroup);
    }
}

} // namespace
} // namespace e2e
