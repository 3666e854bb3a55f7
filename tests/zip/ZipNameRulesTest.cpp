#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/zip/ZipNameRules.h"
#include "zip/ZipReaderFixture.h"

namespace {

// Drive letters, leading separators and parent components are cut from the start, each
// spelling tried in a fixed order over the whole name; everything else stays as stored.
TEST(ZipNameRules, RemainderAndApplyCutTheUnsafeStart)
{
    const struct {
        const char* stored;
        const char* remainder;
    } cases[] = {
        {"readme.txt", "readme.txt"}, {"bin/terminal.exe", "bin/terminal.exe"},
        {"docs\\a.b\\..c\\x..", "docs\\a.b\\..c\\x.."}, {"a/./b", "a/./b"}, {"", ""}, {"x", "x"},
        {"...\\x", "...\\x"}, {"c:\\x\\..\\y/z.txt", "y/z.txt"}, {"/abs/file", "abs/file"},
        {"..\\..\\x", "x"}, {"c:\\", ""}, {"D:/\\//", ""}, {"c:d:e:", ""}, {"a/../b", "b"},
        {"a\\../b/..\\c", "c"}, {"\\\\server\\share\\..\\file", "file"}, {"a/../b\\..\\c", "c"},
        {"..\\x", "x"}, {"../x", "x"}, {"a/../../b", "b"}, {"../../../x", "x"}, {"..\\c:\\..\\x", "x"},
        {"..", ""}, {"a/..", ""}, {"c:/a/b\\..", ""}, {"../c:/x", "x"},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(c.remainder, ZipNameRules::Remainder(c.stored)) << c.stored;
        char name[32];
        std::strcpy(name, c.stored);
        ZipNameRules::Apply(name);
        EXPECT_STREQ(c.remainder, name) << c.stored;
    }
}

// The archive's own declaration of a UTF-8 name (flag bit 11, or a Unicode Path record
// whose checksum matches the stored name, central or local) is converted to code page 936
// before the name rules; a name the code page cannot hold, or broken UTF-8, leaves no name
// at all; undeclared names are the stored bytes.
TEST_F(ZipReaderFixture, DeclaredUtf8NamesAreConvertedOrRefused)
{
    const std::string shuoming = "\xE8\xAF\xB4\xE6\x98\x8E";  // 说明 in UTF-8
    const std::string gbk = "\xCB\xB5\xC3\xF7";               // 说明 in code page 936
    const std::string emoji = "\xF0\x9F\x98\x80";
    const struct {
        std::string stored;
        uint32_t flags;
        std::string local, central, name;
        bool unconvertible;
    } cases[] = {
        {"docs/" + shuoming + ".txt", 0x800, "", "", "docs/" + gbk + ".txt", false},
        {"/../" + shuoming + "/", 0x800, "", "", gbk + "/", false},
        {"x.txt", 0x800, "", "", "x.txt", false},
        {"a" + emoji + ".txt", 0x800, "", "", "", true},
        {"bad\xC3(.txt", 0x800, "", "", "", true},
        {"old.txt", 0, "", ZipTestArchive::UnicodePathRecord("old.txt", shuoming + ".txt"), gbk + ".txt", false},
        {"old.txt", 0, ZipTestArchive::UnicodePathRecord("old.txt", "c:/" + shuoming), "", gbk, false},
        {"old.txt", 0, "", ZipTestArchive::UnicodePathRecord("renamed.txt", shuoming), "old.txt", false},
        {"old.txt", 0, "", ZipTestArchive::UnicodePathRecord("old.txt", emoji), "", true},
        {gbk + ".txt", 0, "", "", gbk + ".txt", false},
    };
    std::vector<ZipTestItem> items;
    for (const auto& c : cases) {
        items.push_back({c.stored, "data"});
        items.back().flags = c.flags;
        items.back().localExtra = c.local;
        items.back().centralExtra = c.central;
    }
    ASSERT_NE(nullptr, OpenArchive(items));
    for (int32_t i = 0; i < int32_t(items.size()); ++i) {
        ZipItemInfo info = Item(i);
        EXPECT_EQ(cases[i].name, info.name) << i;
        EXPECT_EQ(cases[i].unconvertible, info.nameUnconvertible != 0) << i;
        EXPECT_EQ("data", ReadAll(i).data) << i;
    }
}

} // namespace
