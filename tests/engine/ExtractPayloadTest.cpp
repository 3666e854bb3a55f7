// Payload extraction end to end: from a reversed payload in the working folder to files
// below the install directory, with the notices the frame sees.
#include "ProfileTest.h"

#include <algorithm>

using ExtractTest = ProfileTest;
using Ints = std::vector<int32_t>;

TEST_F(ExtractTest, NoticesAndSumsFollowTheFiles)
{
    std::string a = TestZip::Bytes(0x4000, 1), b = TestZip::Bytes(0x4001, 2), c = TestZip::Bytes(50000, 3);
    std::string dir = scratch.file("inst");
    NewEngine(dir, Zip({{"docs/", ""}, {"a.bin", a}, {"docs/b.bin", b}, {"empty.txt", ""}, {"docs\\c.bin", c}}));
    ASSERT_TRUE(engine->ExtractPayload());
    EXPECT_EQ("total begin chunk end begin chunk end begin chunk end begin chunk end", Outline());
    EXPECT_EQ(Ints({0x4000 + 0x4001 + 50000}), Values(NoticeTotal));
    EXPECT_EQ(Ints({0x4000, 0x4001, 0, 50000}), Values(NoticeFileBegin));
    EXPECT_EQ(Ints({0x4000, 0x4000, 1, 0, 0x4000, 0x4000, 0x4000, 50000 - 3 * 0x4000}), Values(NoticeChunk));
    EXPECT_EQ(dir + "\\docs/b.bin", notices[5].name);
    EXPECT_TRUE(a == TestZip::Load(dir + "\\a.bin") && b == TestZip::Load(dir + "\\docs\\b.bin"));
    EXPECT_TRUE(c == TestZip::Load(dir + "\\docs\\c.bin") && Exists(dir + "\\empty.txt"));
}

TEST_F(ExtractTest, NoItemIsWrittenOutsideTheInstallDirectory)
{
    std::string dir = scratch.file("inst");
    std::string zip = Zip({{"..\\escaped1.txt", "x"}, {"C:..\\escaped3.txt", "x"}, {"ok.txt:stream", "x"}, {"CON", "x"},
                           {"sub/.../x.txt", "x"}, {"\\\\server\\share\\unc.txt", "u"}, {"C:\\abs\\drive.txt", "d"},
                           {"a/../../b/../n.txt", "n"}, {"../outdir/", ""}, {"fine.txt", "fine"}});
    EXPECT_FALSE(NewEngine(dir, zip).ExtractPayload());
    EXPECT_EQ(std::vector<std::string>({"build.zip", "inst"}), Entries(scratch.str()));
    // What the reader's name rules leave of some lands below the install directory.
    EXPECT_EQ(std::vector<std::string>({"abs", "escaped1.txt", "escaped3.txt", "fine.txt", "n.txt", "outdir",
                                        "server"}),
              Entries(dir));
    EXPECT_EQ("u", TestZip::Load(dir + "\\server\\share\\unc.txt"));
}

// bsdtar's "./" names land in the install directory itself; UTF-8 names are written in the
// code page, and one it cannot hold fails the extraction without writing anything under
// another name.
TEST_F(ExtractTest, DotComponentsAndUtf8NamesFromCommonArchivers)
{
    std::string dir = scratch.file("inst");
    TestZipItem readme{"./\xE8\xAF\xB4\xE6\x98\x8E.txt", "cn"}, lost{"./\xF0\x9F\x98\x80/", ""},
        inLost{"./\xF0\x9F\x98\x80/x.txt", "x"};
    readme.utf8 = lost.utf8 = inLost.utf8 = true;
    EXPECT_FALSE(NewEngine(dir, Zip({{"./", ""}, {"./docs/", ""}, {"./docs/./a.txt", "a"}, readme, lost, inLost,
                                     {"./z.txt", "z"}}))
                     .ExtractPayload());
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((dir + "\\*").c_str(), &found);
    std::vector<std::string> names;
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = ::FindNextFileA(find, &found))
        names.push_back(found.cFileName);
    ::FindClose(find);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(std::vector<std::string>({".", "..", "docs", "z.txt", "\xCB\xB5\xC3\xF7.txt"}), names);
    EXPECT_EQ("a", TestZip::Load(dir + "\\docs\\a.txt"));
    EXPECT_EQ("cn", TestZip::Load(dir + "\\\xCB\xB5\xC3\xF7.txt"));
    EXPECT_EQ(4, int(Values(NoticeFileEnd).size())) << "the unnamed file is still read through";
    EXPECT_FALSE(NewEngine(scratch.file("inst2"), Zip({lost, {"ok.txt", "ok"}})).ExtractPayload())
        << "an unnamed folder fails too";
}

// Each damaged item fails the extraction; only what it produced is written, and the next
// item still is.
TEST_F(ExtractTest, DamagedItemsWriteOnlyWhatWasProducedAndFail)
{
    const std::string stored = TestZip::Bytes(20000, 6);
    const struct {
        TestZipItem::Damage damage;
        std::string written;
        Ints chunks;
    } rows[] = {{TestZipItem::CutShort, stored, {0x4000, 20000 - 0x4000, 4}},
                {TestZipItem::WrongCrc, stored, {0x4000, 20000 - 0x4000, 4}},
                {TestZipItem::Undeflatable, "", {0, 4}}};
    for (const auto& row : rows) {
        std::string dir = scratch.file("inst" + std::to_string(row.damage));
        EXPECT_FALSE(NewEngine(dir, Zip({{"bad.bin", stored, row.damage}, {"good.txt", "good"}})).ExtractPayload());
        EXPECT_TRUE(row.written == TestZip::Load(dir + "\\bad.bin")) << row.damage;
        EXPECT_EQ(row.chunks, Values(NoticeChunk)) << row.damage;
        EXPECT_EQ("good", TestZip::Load(dir + "\\good.txt")) << row.damage;
    }
}
