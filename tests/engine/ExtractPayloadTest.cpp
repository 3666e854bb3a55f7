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

// Paths are UTF-8: a separator after a character whose last byte is a lead byte of the
// machine's code page (说 ends in 0xB4) is a separator all the same.
TEST(ItemPathTest, SeparatorsAfterCharactersOutsideAsciiSplitThePath)
{
    const std::string shuo = "\xE8\xAF\xB4", ming = "\xE6\x98\x8E";  // 说, 明
    std::string full;
    EXPECT_EQ("C:\\" + shuo, ItemPath::Parent("C:\\" + shuo + "\\a.txt"));
    EXPECT_TRUE(ItemPath::EndsWithSeparator(shuo + "\\"));
    ASSERT_TRUE(ItemPath::Resolve("C:\\Apps\\" + shuo, shuo + "/" + ming + ".txt", full));
    EXPECT_EQ("C:\\Apps\\" + shuo + "\\" + shuo + "\\" + ming + ".txt", full);
    EXPECT_FALSE(ItemPath::Resolve("C:\\Apps", shuo + "\\..\\..\\x", full));
    EXPECT_TRUE(ItemPath::SameDirectory("C:\\Apps\\" + shuo + "\\", "c:\\apps\\" + shuo));
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
// "./" names land in the directory itself; a file or folder whose name is damaged (flagged
// UTF-8 but not) fails without anything written under another name.
TEST_F(ExtractTest, NoItemIsWrittenOutsideTheInstallDirectoryOrUnderAnotherName)
{
    const std::string dir = scratch.file("inst"), dir2 = scratch.file("inst2"), lost = "./\xF0\x9F\x98/";
    EXPECT_FALSE(NewEngine(dir, {{"..\\escaped.txt", "x"}, {"\\\\server\\share\\unc.txt", "u"},
                                 {"C:\\abs\\drive.txt", "d"}, {"a/../../b/../n.txt", "n"}, {"./", ""},
                                 {"./docs/./a.txt", "a"}, {"./\xE8\xAF\xB4\xE6\x98\x8E.txt", "cn"},
                                 {lost + "x.txt", "x"}})
                     .ExtractPayload());
    Names tree = {"build.zip", "inst\\"};
    for (const char* name : {"abs\\", "abs\\drive.txt", "docs\\", "docs\\a.txt", "escaped.txt", "n.txt", "server\\",
                             "server\\share\\", "server\\share\\unc.txt", "\xE8\xAF\xB4\xE6\x98\x8E.txt"})
        tree.push_back(std::string("inst\\") + name);
    tree.push_back("setup.exe");
    EXPECT_EQ(tree, WideTree(scratch.str()));
    EXPECT_EQ(7u, Values(NoticeFileEnd).size()) << "a failed file is still read through";
    EXPECT_FALSE(NewEngine(dir2, {{lost, ""}, {"ok.txt", "ok"}}).ExtractPayload());
    EXPECT_EQ(Names({"ok.txt"}), WideTree(dir2));
}

// Names install as the product names them, whatever the machine's code page: declared
// UTF-8 names as they are (scripts of several code pages, a character outside the Basic
// Multilingual Plane), an undeclared one as the machine's code page reads its bytes, into
// a directory whose name no code page holds either. The notices name each file in UTF-8.
TEST_F(ExtractTest, NamesOutsideTheCodePageInstallUnderTheirOwnNames)
{
    const std::vector<std::pair<std::string, std::string>> undeclared = {
        {"936", "\xE8\xAF\xB4\xE6\x98\x8E.txt"},   // 说明
        {"1252", "\xC3\x8B\xC2\xB5\xC3\x83\xC3\xB7.txt"},  // Ëµ÷
    };
    std::string own;
    for (const auto& codePage : undeclared)
        if (std::to_string(::GetACP()) == codePage.first)
            own = codePage.second;
    ASSERT_FALSE(own.empty()) << "no expectation for code page " << ::GetACP();
    const Names names = {
        "\xE4\xB8\xAD\xE6\x96\x87\\\xE8\xAF\xB4\xE6\x98\x8E.txt",  // 中文\说明.txt
        "\xE3\x82\xAB\xE3\x82\xBF\xE3\x82\xAB\xE3\x83\x8A.txt",    // カタカナ.txt
        "\xED\x95\x9C\xEA\xB5\xAD\xEC\x96\xB4\\\xED\x8C\x8C\xEC\x9D\xBC.txt",  // 한국어\파일.txt
        "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82.txt",    // Привет.txt
        "caf\xC3\xA9.txt",                                                // café.txt
        "\xF0\xA0\x80\x80\\\xF0\x9F\x98\x80.txt",                    // U+20000\U+1F600.txt
    };
    std::vector<TestZipItem> items;
    for (const std::string& name : names)
        items.push_back({name, "bytes of " + name});
    TestZipItem gbk{"\xCB\xB5\xC3\xF7.txt", "undeclared"};
    gbk.undeclared = true;
    items.push_back(gbk);
    const std::string dir = scratch.str() + "\\\xEC\x95\x88 \xF0\xA0\x80\x80";  // 안 U+20000
    ASSERT_TRUE(NewEngine(dir, items).ExtractPayload());

    Names tree = {own};
    for (const std::string& name : names) {
        if (name.find('\\') != std::string::npos)
            tree.push_back(name.substr(0, name.find('\\') + 1));
        tree.push_back(name);
        EXPECT_EQ("bytes of " + name, Load(dir + "\\" + name)) << name;
    }
    std::sort(tree.begin(), tree.end());
    tree.erase(std::unique(tree.begin(), tree.end()), tree.end());
    EXPECT_EQ(tree, WideTree(dir));
    EXPECT_EQ("undeclared", Load(dir + "\\" + own));
    Names noticed;
    for (const ProgressNotice& notice : notices)
        if (notice.code == NoticeFileBegin)
            noticed.push_back(notice.name);
    Names wanted;
    for (const std::string& name : names)
        wanted.push_back(dir + "\\" + name);
    wanted.push_back(dir + "\\" + own);
    EXPECT_EQ(wanted, noticed);
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
