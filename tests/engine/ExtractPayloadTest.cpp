// Payload extraction: the engine's path rules and the payload reversal, then end to end from
// a reversed payload in the working folder to files below the install directory, with the
// notices the frame sees.
#include <numeric>

#include "ProfileTest.h"
#include "engine/ItemPath.h"
#include "engine/PayloadDecoder.h"

using ExtractTest = ProfileTest;
using Ints = std::vector<int32_t>;

// Names that the ZIP reader's own rules let through must still stay below the directory.
TEST(ItemPathTest, NamesThatLeaveTheDirectoryOrNameADeviceAreRefusedDotComponentsSkipped)
{
    std::string full;
    for (const char* name : {"", "..", "../x", "..\\x", "a/../../x", "a\\..\\..\\x", "a/..", "./../x", "...\\x",
                             ". /x", "a/ ../x", "\\x", "/x", "\\\\server\\share\\x", "//server/share/x", "C:\\x",
                             "C:x", "c:/x", "x:y", "file.txt:stream", "CON", "nul.txt", "a/com1", "LPT9.log", "aux ",
                             "conout$", ".", "./", "./.", ". ", " ", "./ /x", "a/.. ", "x/./../y"})
        EXPECT_FALSE(ItemPath::Resolve("C:\\Apps\\Orvanta", name, full)) << name;
    // A "." component is the folder it stands in.
    EXPECT_TRUE(ItemPath::Resolve("C:\\Apps\\Orvanta", "./a/./b\\.\\c.txt", full));
    EXPECT_EQ("C:\\Apps\\Orvanta\\a\\b\\c.txt", full);
}

// Sizes around the eight-byte steps from both ends, odd and even.
TEST(PayloadDecoderTest, ReversesEverySize)
{
    for (size_t size : {1u, 5u, 8u, 15u, 16u, 17u, 33u}) {
        std::string bytes = TestZip::Bytes(size, unsigned(size));
        std::string reversed(bytes.rbegin(), bytes.rend());
        PayloadDecoder::Reverse(&bytes[0], bytes.size());
        EXPECT_EQ(reversed, bytes) << size;
    }
}

TEST_F(ExtractTest, NoticesAndSumsFollowTheFiles)
{
    std::string a = TestZip::Bytes(0x4000, 1), b = TestZip::Bytes(0x4001, 2), c = TestZip::Bytes(50000, 3);
    std::string dir = scratch.file("inst");
    ASSERT_TRUE(NewEngine(dir, {{"docs/", ""}, {"a.bin", a}, {"docs/b.bin", b}, {"empty.txt", ""}, {"docs\\c.bin", c}})
                    .ExtractPayload());
    EXPECT_EQ("total begin chunk end begin chunk end begin chunk end begin chunk end", Outline());
    EXPECT_EQ(Ints({0x4000 + 0x4001 + 50000}), Values(NoticeTotal));
    EXPECT_EQ(Ints({0x4000, 0x4001, 0, 50000}), Values(NoticeFileBegin));
    EXPECT_EQ(Ints({0x4000, 0x4000, 1, 0, 0x4000, 0x4000, 0x4000, 50000 - 3 * 0x4000}), Values(NoticeChunk));
    EXPECT_EQ(dir + "\\docs/b.bin", notices[5].name);
    EXPECT_TRUE(a == TestZip::Load(dir + "\\a.bin") && b == TestZip::Load(dir + "\\docs\\b.bin"));
    EXPECT_TRUE(c == TestZip::Load(dir + "\\docs\\c.bin") && Exists(dir + "\\empty.txt"));
}

// What the reader's name rules leave of a hostile name lands below the install directory;
// the rest fail the extraction, and nothing is ever written outside. bsdtar's "./" names
// land in the directory itself; UTF-8 names are written in the code page, and one it
// cannot hold (file or folder) fails without anything written under another name.
TEST_F(ExtractTest, NoItemIsWrittenOutsideTheInstallDirectoryOrUnderAnotherName)
{
    std::string dir = scratch.file("inst");
    TestZipItem readme{"./\xE8\xAF\xB4\xE6\x98\x8E.txt", "cn"}, lost{"./\xF0\x9F\x98\x80/", ""},
        inLost{"./\xF0\x9F\x98\x80/x.txt", "x"};
    readme.utf8 = lost.utf8 = inLost.utf8 = true;
    EXPECT_FALSE(NewEngine(dir, {{"..\\escaped1.txt", "x"}, {"C:..\\escaped3.txt", "x"}, {"ok.txt:stream", "x"},
                                 {"CON", "x"}, {"sub/.../x.txt", "x"}, {"\\\\server\\share\\unc.txt", "u"},
                                 {"C:\\abs\\drive.txt", "d"}, {"a/../../b/../n.txt", "n"}, {"../outdir/", ""},
                                 {"./", ""}, {"./docs/", ""}, {"./docs/./a.txt", "a"}, readme, lost, inLost,
                                 {"./z.txt", "z"}})
                     .ExtractPayload());
    Names tree = {"build.zip", "inst\\"};
    for (const char* name : {"abs\\", "abs\\drive.txt", "docs\\", "docs\\a.txt", "escaped1.txt", "escaped3.txt",
                             "n.txt", "outdir\\", "server\\", "server\\share\\", "server\\share\\unc.txt", "z.txt",
                             "\xCB\xB5\xC3\xF7.txt"})
        tree.push_back(std::string("inst\\") + name);
    EXPECT_EQ(tree, InstallReport::ListTree(scratch.str()));
    EXPECT_EQ("u", TestZip::Load(dir + "\\server\\share\\unc.txt"));
    EXPECT_EQ("cn", TestZip::Load(dir + "\\\xCB\xB5\xC3\xF7.txt"));
    EXPECT_EQ(12u, Values(NoticeFileEnd).size()) << "a failed file is still read through";
    EXPECT_FALSE(NewEngine(scratch.file("inst2"), {lost, {"ok.txt", "ok"}}).ExtractPayload()) << "an unnamed folder";
}

// Each damaged item fails the extraction; only what it produced is written, and the next
// item still is.
TEST_F(ExtractTest, DamagedItemsWriteOnlyWhatWasProducedAndFail)
{
    const std::string stored = TestZip::Bytes(20000, 6);
    for (auto damage : {TestZipItem::CutShort, TestZipItem::WrongCrc, TestZipItem::Undeflatable}) {
        SCOPED_TRACE(damage);
        const bool nothing = damage == TestZipItem::Undeflatable;
        std::string dir = scratch.file("inst" + std::to_string(damage));
        EXPECT_FALSE(NewEngine(dir, {{"bad.bin", stored, damage}, {"good.txt", "good"}}).ExtractPayload());
        EXPECT_TRUE((nothing ? "" : stored) == TestZip::Load(dir + "\\bad.bin"));
        EXPECT_EQ(nothing ? Ints({0, 4}) : Ints({0x4000, 20000 - 0x4000, 4}), Values(NoticeChunk));
        EXPECT_EQ("good", TestZip::Load(dir + "\\good.txt"));
    }
}

// An item of more than 2 GiB (deflated to a few MiB, written out in full; about half a
// minute): written intact, its notices counted in units that fit the 32-bit bars and
// still add up.
TEST_F(ExtractTest, AnItemOfMoreThanTwoGibibytesIsWrittenIntact)
{
    const uint64_t size = 0x80000000ull + 0x4000 + 5;
    TestZipItem large{"large.bin", ""};
    large.patternSize = size;
    ASSERT_TRUE(NewEngine(scratch.file("inst"), {large}).ExtractPayload());
    EXPECT_EQ(size, engine->GetTotalBytes());
    ASSERT_EQ("total begin chunk end", Outline());
    EXPECT_EQ(Ints({int32_t(size >> 1)}), Values(NoticeTotal));
    EXPECT_EQ(Ints({int32_t(size >> 1)}), Values(NoticeFileBegin));
    Ints chunks = Values(NoticeChunk);
    EXPECT_EQ(size / 0x4000 + 1, chunks.size());
    EXPECT_EQ(int64_t(size >> 1), std::accumulate(chunks.begin(), chunks.end(), int64_t(0)));
    std::ifstream in(scratch.file("inst\\large.bin"), std::ios::binary | std::ios::ate);
    EXPECT_EQ(size, uint64_t(in.tellg()));
    // Samples across the file, the last chunk included, must hold the pattern.
    for (uint64_t at : {uint64_t(0), uint64_t(0x7FFFF000), uint64_t(0x80000000), size - 0x4005, size - 7}) {
        char bytes[7] = {};
        ASSERT_TRUE(in.seekg(std::streamoff(at)).read(bytes, sizeof bytes));
        for (uint64_t i = 0; i < sizeof bytes; ++i)
            EXPECT_EQ(TestZip::Pattern(at + i), bytes[i]) << "at " << at + i;
    }
}
