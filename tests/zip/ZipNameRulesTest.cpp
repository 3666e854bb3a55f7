#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/zip/ZipNameRules.h"

namespace {

std::string Cut(const std::string& name)
{
    return ZipNameRules::Remainder(name.c_str());
}

TEST(ZipNameRules, PlainNamesStayAsStored)
{
    EXPECT_EQ("readme.txt", Cut("readme.txt"));
    EXPECT_EQ("bin/terminal.exe", Cut("bin/terminal.exe"));
    EXPECT_EQ("docs\\a.b\\..c\\x..", Cut("docs\\a.b\\..c\\x.."));
    EXPECT_EQ("a/./b", Cut("a/./b"));
    EXPECT_EQ("", Cut(""));
    EXPECT_EQ("x", Cut("x"));
}

TEST(ZipNameRules, DriveLettersSeparatorsAndInnerParentsAreCutFromTheStart)
{
    EXPECT_EQ("y/z.txt", Cut("c:\\x\\..\\y/z.txt"));
    EXPECT_EQ("abs/file", Cut("/abs/file"));
    EXPECT_EQ("x", Cut("..\\..\\x"));
    EXPECT_EQ("", Cut("c:\\"));
    EXPECT_EQ("", Cut("D:/\\//"));
    EXPECT_EQ("", Cut("c:d:e:"));
    EXPECT_EQ("b", Cut("a/../b"));
    EXPECT_EQ("c", Cut("a\\../b/..\\c"));
    EXPECT_EQ("file", Cut("\\\\server\\share\\..\\file"));
    // The spellings are tried in a fixed order, each over the whole name.
    EXPECT_EQ("c", Cut("a/../b\\..\\c"));
}

TEST(ZipNameRules, LeadingParentComponentsAreCutToo)
{
    EXPECT_EQ("x", Cut("..\\x"));
    EXPECT_EQ("x", Cut("../x"));
    EXPECT_EQ("b", Cut("a/../../b"));
    EXPECT_EQ("x", Cut("../../../x"));
    EXPECT_EQ("x", Cut("..\\c:\\..\\x"));
    EXPECT_EQ("", Cut(".."));
    EXPECT_EQ("", Cut("a/.."));
    EXPECT_EQ("", Cut("c:/a/b\\.."));
    EXPECT_EQ("x", Cut("../c:/x"));
    EXPECT_EQ("...\\x", Cut("...\\x"));
}

TEST(ZipNameRules, ApplyCutsInPlace)
{
    char name[32];
    std::strcpy(name, "c:\\..\\dir/file");
    ZipNameRules::Apply(name);
    EXPECT_STREQ("dir/file", name);
    std::strcpy(name, "plain");
    ZipNameRules::Apply(name);
    EXPECT_STREQ("plain", name);
}

} // namespace
