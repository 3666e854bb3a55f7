// Payload extraction: the engine's path rules, then end to end from a reversed payload in
// the working folder to files below the install directory, with the notices the frame sees.
#include <numeric>

#include "ProfileTest.h"
#include "engine/ItemPath.h"

using ExtractTest = ProfileTest;
using Ints = std::vector<int32_t>;

// Names that the ZIP reader's own rules cut must still stay below the directory: one of
// each kind the engine refuses by itself.
TEST(ItemPathTest, NamesThatLeaveTheDirectoryOrNameADeviceAreRefused)
{
    std::string full;
    for (const char* name : {"", "a/../../x", "\\x", "\\\\server\\share\\x", "C:x", "file.txt:stream", "nul.txt",
                             "...\\x", "./"})
        EXPECT_FALSE(ItemPath::Resolve("C:\\Apps\\Orvanta", name, full)) << name;
}

TEST_F(ExtractTest, NoticesAndSumsFollowTheFiles)
{
    std::string a = Bytes(0x4000, 1), b = Bytes(0x4001, 2), c = Bytes(50000, 3);
    std::string dir = scratch.file("inst");
    ASSERT_TRUE(NewEngine(dir, {{"docs/", ""}, {"a.bin", a}, {"docs/b.bin", b}, {"empty.txt", ""}, {"docs\\c.bin", c}})
                    .ExtractPayload());
    EXPECT_EQ("total begin chunk end begin chunk end begin chunk end begin chunk end", Outline());
    EXPECT_EQ(Ints({0x4000 + 0x4001 + 50000}), Values(NoticeTotal));
    EXPECT_EQ(Ints({0x4000, 0x4001, 0, 50000}), Values(NoticeFileBegin));
    EXPECT_EQ(Ints({0x4000, 0x4000, 1, 0, 0x4000, 0x4000, 0x4000, 50000 - 3 * 0x4000}), Values(NoticeChunk));
    EXPECT_TRUE(a == Load(dir + "\\a.bin") && b == Load(dir + "\\docs\\b.bin"));
    EXPECT_TRUE(c == Load(dir + "\\docs\\c.bin") && Exists(dir + "\\empty.txt"));
}

// What the reader's name rules leave of a hostile name lands below the install directory
// (ItemPathTest proves the engine's own refusals); nothing is ever written outside. bsdtar's
// "./" names land in the directory itself; UTF-8 names are written in the code page, and a
// file or folder whose name it cannot hold fails without anything written under another name.
TEST_F(ExtractTest, NoItemIsWrittenOutsideTheInstallDirectoryOrUnderAnotherName)
{
    const std::string dir = scratch.file("inst"), dir2 = scratch.file("inst2"), lost = "./\xF0\x9F\x98\x80/";
    EXPECT_FALSE(NewEngine(dir, {{"..\\escaped.txt", "x"}, {"\\\\server\\share\\unc.txt", "u"},
                                 {"C:\\abs\\drive.txt", "d"}, {"a/../../b/../n.txt", "n"}, {"./", ""},
                                 {"./docs/./a.txt", "a"}, {"./\xE8\xAF\xB4\xE6\x98\x8E.txt", "cn"},
                                 {lost + "x.txt", "x"}})
                     .ExtractPayload());
    Names tree = {"build.zip", "inst\\"};
    for (const char* name : {"abs\\", "abs\\drive.txt", "docs\\", "docs\\a.txt", "escaped.txt", "n.txt", "server\\",
                             "server\\share\\", "server\\share\\unc.txt", "\xCB\xB5\xC3\xF7.txt"})
        tree.push_back(std::string("inst\\") + name);
    tree.push_back("setup.exe");
    EXPECT_EQ(tree, InstallReport::ListTree(scratch.str()));
    EXPECT_EQ(7u, Values(NoticeFileEnd).size()) << "a failed file is still read through";
    EXPECT_FALSE(NewEngine(dir2, {{lost, ""}, {"ok.txt", "ok"}}).ExtractPayload());
    EXPECT_EQ(Names({"ok.txt"}), InstallReport::ListTree(dir2));
}

// Each damaged item fails the extraction; only what it produced is written, and the next
// item still is.
TEST_F(ExtractTest, DamagedItemsWriteOnlyWhatWasProducedAndFail)
{
    const std::string stored = Bytes(20000, 6);
    for (auto damage : {TestZipItem::CutShort, TestZipItem::WrongCrc}) {
        SCOPED_TRACE(damage);
        std::string dir = scratch.file("inst" + std::to_string(damage));
        EXPECT_FALSE(NewEngine(dir, {{"bad.bin", stored, damage}, {"good.txt", "good"}}).ExtractPayload());
        EXPECT_EQ(stored, Load(dir + "\\bad.bin"));
        EXPECT_EQ(Ints({0x4000, 20000 - 0x4000, 4}), Values(NoticeChunk));
        EXPECT_EQ("good", Load(dir + "\\good.txt"));
    }
}

// An item of more than 2 GiB (about half a minute): written intact, its notices counted in
// units that fit the 32-bit bars and still add up.
TEST_F(ExtractTest, AnItemOfMoreThanTwoGibibytesIsWrittenIntact)
{
    const uint64_t size = 0x80000000ull + 0x4000 + 5;
    TestZipItem large{"large.bin", ""};
    large.patternSize = size;
    ASSERT_TRUE(NewEngine(scratch.file("inst"), {large}).ExtractPayload());
    ASSERT_EQ("total begin chunk end", Outline());
    EXPECT_EQ(Ints({int32_t(size >> 1)}), Values(NoticeTotal));
    Ints chunks = Values(NoticeChunk);
    EXPECT_EQ(int64_t(size >> 1), std::accumulate(chunks.begin(), chunks.end(), int64_t(0)));
    std::ifstream in(scratch.file("inst\\large.bin"), std::ios::binary | std::ios::ate);
    EXPECT_EQ(size, uint64_t(in.tellg()));
    // The pattern holds across the 2 GiB mark.
    char bytes[8] = {};
    ASSERT_TRUE(in.seekg(std::streamoff(0x7FFFFFFC)).read(bytes, sizeof bytes));
    for (uint64_t i = 0; i < sizeof bytes; ++i)
        EXPECT_EQ(Pattern(0x7FFFFFFC + i), bytes[i]) << i;
}
