// Installations that do not finish: cancelled on the progress page, and setups whose
// container or payload is damaged. Each must end on the cancel page and leave nothing of
// its run behind, and never anything of the user's.
#include "E2eFixture.h"

#include <filesystem>
#include <fstream>
#include <memory>

#include "InstallReport.h"
#include "tools/ProductArchive.h"

namespace e2e {
namespace {

// Cancel page text 10023, built-in (code page 936) and English.
const std::string kNotInstalledZh =
    "Orvanta 4.00\xC3\xBB\xD3\xD0\xD5\xFD\xC8\xB7\xB5\xC4\xB0\xB2\xD7\xB0\xB3\xC9\xB9\xA6.";
const std::string kNotInstalledEn = "Orvanta 4.00 was not installed successfully.";

// The slow product: the demo plus one big file that sorts last, so the demo's own files
// are written when the cancel comes. Zeros deflate to almost nothing, so packing and
// unpacking the container cost little while writing it takes 16 KiB chunk after chunk,
// each one reported to the wizard.
constexpr uint64_t kBigFileBytes = 384ull << 20;
const char kBigFileName[] = "zzbig.bin";

class RollbackTest : public E2eTest {
protected:
    static void SetUpTestSuite()
    {
        slowScratch_ = new testsupport::ScratchDir;
        std::string product = slowScratch_->file("slow-product");
        std::error_code ec;
        std::filesystem::copy(DemoProduct(), product, std::filesystem::copy_options::recursive, ec);
        std::ofstream big(product + "\\" + kBigFileName, std::ios::binary);
        std::vector<char> zeros(1 << 20);
        for (uint64_t written = 0; written < kBigFileBytes; written += zeros.size())
            big.write(zeros.data(), zeros.size());
        big.close();
        slowProduct_ = product;
    }
    static void TearDownTestSuite()
    {
        delete slowScratch_;
        slowScratch_ = nullptr;
    }

    // Walks to the progress page, waits until the big file is being written, cancels
    // and answers Yes; leaves the setup from the cancel page.
    void CancelMidway(const std::string& setup, const Choices& choices)
    {
        std::string big = choices.directory + "\\" + kBigFileName;
        SetupDriver d;
        ASSERT_TRUE(d.Start(setup));
        ASSERT_NO_FATAL_FAILURE(WalkToConfirm(d, choices));
        ASSERT_TRUE(d.Press(1001));
        ASSERT_TRUE(d.WaitForPage(6, kStepMs));
        ASSERT_TRUE(WaitUntil(kInstallMs, [&] { return Exists(big) || d.CurrentPage() != 6; }));
        ASSERT_EQ(6, d.CurrentPage()) << "the installation ended before it could be cancelled";
        EXPECT_TRUE(Exists(choices.directory + "\\terminal.exe")) << "the demo's files come first";
        ASSERT_TRUE(d.Press(1003));
        HWND box = d.WaitForMessageBox(kStepMs);
        ASSERT_TRUE(box) << "the abandon question";
        EXPECT_EQ("Orvanta 4.00", SetupDriver::WindowText(box));
        ASSERT_EQ(6, d.CurrentPage()) << "the installation ended before the question was answered";
        WIN32_FILE_ATTRIBUTE_DATA data{};
        ::GetFileAttributesExA(big.c_str(), GetFileExInfoStandard, &data);
        RecordProperty("big_file_bytes_at_cancel", std::to_string(data.nFileSizeLow));
        ASSERT_TRUE(SetupDriver::Answer(box, IDYES));
        ASSERT_TRUE(d.WaitForPage(8, kInstallMs));
        EXPECT_TRUE(WaitUntil(kStepMs, [&] { return d.Text(1022) == kNotInstalledZh; })) << d.Text(1022);
        EXPECT_TRUE(WaitUntil(kStepMs, [&] { return d.Text(1003) == "OK"; }));
        EXPECT_FALSE(d.IsVisible(1001));
        EXPECT_FALSE(d.IsVisible(1002));
        ASSERT_TRUE(d.Press(1003));
        ASSERT_TRUE(d.WaitForExit(kInstallMs)) << "the setup did not end";
        EXPECT_FALSE(Exists(big)) << "the half-written file is gone";
    }

    // A damaged setup: the wizard runs, the installation ends on the cancel page.
    void InstallDamaged(const std::string& setup, const std::string& directory, const std::string& group,
                        const std::string& cancelText, size_t languages)
    {
        SetupDriver d;
        ASSERT_TRUE(d.Start(setup));
        ASSERT_TRUE(d.WaitForFrame(kStepMs));
        ASSERT_TRUE(d.WaitForPage(0, kStepMs));
        EXPECT_EQ(languages, d.ListItems(1006).size());
        Choices choices;
        choices.directory = directory;
        choices.group = group;
        ASSERT_NO_FATAL_FAILURE(WalkToConfirm(d, choices));
        ASSERT_TRUE(d.Press(1001));
        ASSERT_TRUE(WaitUntil(kInstallMs, [&] { return d.CurrentPage() == 7 || d.CurrentPage() == 8; }));
        EXPECT_EQ(8, d.CurrentPage()) << "a damaged setup must not end on the finish page";
        EXPECT_TRUE(WaitUntil(kStepMs, [&] { return d.Text(1022) == cancelText; })) << d.Text(1022);
        ASSERT_TRUE(d.Press(1003));
        ASSERT_TRUE(d.WaitForExit(kInstallMs));
        ExpectNothingInstalled(directory, group);
    }

    static testsupport::ScratchDir* slowScratch_;
    static std::string slowProduct_;
};

testsupport::ScratchDir* RollbackTest::slowScratch_ = nullptr;
std::string RollbackTest::slowProduct_;

TEST_F(RollbackTest, CancelDuringProgressLeavesNothingOfTheRun)
{
    std::string setup = Pack("setup-slow", slowProduct_);
    Choices choices;
    choices.directory = scratch_.file("Orvanta Cancelled");
    choices.group = "E2E Cancel Group";
    Touches(choices.group);
    ASSERT_NO_FATAL_FAILURE(CancelMidway(setup, choices));
    ExpectNothingInstalled(choices.directory, choices.group);
}

TEST_F(RollbackTest, CancelIntoAnExistingDirectoryKeepsItsOwnFiles)
{
    std::string setup = Pack("setup-slow-existing", slowProduct_);
    Choices choices;
    choices.directory = scratch_.file("Tools");
    choices.existingDirectory = true;
    choices.group = "E2E Cancel Existing Group";
    Touches(choices.group);
    ASSERT_TRUE(::CreateDirectoryA(choices.directory.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA((choices.directory + "\\sub").c_str(), nullptr));
    WriteBytes(choices.directory + "\\mine.txt", "the user's own notes");
    WriteBytes(choices.directory + "\\sub\\own.dat", "more of the user's own");
    std::vector<std::string> before = InstallReport::ListTree(choices.directory);

    ASSERT_NO_FATAL_FAILURE(CancelMidway(setup, choices));
    EXPECT_EQ(before, InstallReport::ListTree(choices.directory)) << "only this run's files go";
    EXPECT_EQ("the user's own notes", ReadBytes(choices.directory + "\\mine.txt"));
    EXPECT_EQ("more of the user's own", ReadBytes(choices.directory + "\\sub\\own.dat"));
    ExpectNothingInstalled(std::string(), choices.group);
}

// The container's index is cut off: nothing is unpacked, the wizard runs on its built-in
// texts, and the installation finds no payload.
TEST_F(RollbackTest, TruncatedContainerEndsOnTheCancelPage)
{
    std::string setup = Pack("setup-truncated");
    std::string bytes = ReadBytes(setup);
    ASSERT_GT(bytes.size(), 16u);
    WriteBytes(setup, bytes.substr(0, bytes.size() - 7));
    const std::string group = "E2E Truncated Group";
    Touches(group);
    InstallDamaged(setup, scratch_.file("Orvanta Truncated"), group, kNotInstalledZh, 0);
}

// Bytes in the middle of Orva.in (the reversed product archive, first in the container)
// are flipped: the texts still come from the container, the payload fails its checks.
TEST_F(RollbackTest, CorruptedPayloadEndsOnTheCancelPage)
{
    std::string setup = Pack("setup-corrupted");
    std::vector<uint8_t> zip;
    std::string error;
    ASSERT_TRUE(ProductArchive::ZipFolder(DemoProduct(), zip, error)) << error;
    std::string bytes = ReadBytes(setup);
    size_t stub = ReadBytes(SetupStub()).size();
    ASSERT_GT(bytes.size(), stub + zip.size());
    for (size_t i = stub + zip.size() / 2 - 512; i < stub + zip.size() / 2 + 512; ++i)
        bytes[i] = static_cast<char>(bytes[i] ^ 0x5A);
    WriteBytes(setup, bytes);
    const std::string group = "E2E Corrupted Group";
    Touches(group);
    InstallDamaged(setup, scratch_.file("Orvanta Corrupted"), group, kNotInstalledZh, 2);
}

} // namespace
} // namespace e2e
