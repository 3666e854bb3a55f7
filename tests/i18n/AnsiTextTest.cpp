#include "i18n/AnsiText.h"
#include "i18n/LanguageTable.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// 0x95 0x5C and 0x95 0x23 are single GBK characters whose trail bytes equal "\" and "#".
const std::string kBackslashTrail = "\x95\x5C";
const std::string kHashTrail = "\x95\x23";

TEST(ReplaceAll, EmptyPatternReturnsTheSource)
{
    EXPECT_EQ("abc", LanguageTable::ReplaceAll("abc", "", "x"));
    EXPECT_EQ("", LanguageTable::ReplaceAll("", "", "x"));
}

TEST(ReplaceAll, LeftToRightWithoutOverlapOrRescan)
{
    EXPECT_EQ("ba", LanguageTable::ReplaceAll("aaa", "aa", "b"));
    EXPECT_EQ("one\r\ntwo\r\n\r\nthree", LanguageTable::ReplaceAll("one#two##three", "#", "\r\n"));
    EXPECT_EQ("##", LanguageTable::ReplaceAll("#", "#", "##"));
    EXPECT_EQ("xyx", LanguageTable::ReplaceAll("aya", "a", "x"));
    EXPECT_EQ("", LanguageTable::ReplaceAll("aaaa", "aa", ""));
    EXPECT_EQ("abc", LanguageTable::ReplaceAll("abc", "abcd", "x"));
    EXPECT_EQ("", LanguageTable::ReplaceAll("", "a", "x"));
}

TEST(ReplaceAll, NeverSplitsADoubleByteCharacter)
{
    ASSERT_EQ(936u, GetACP());
    EXPECT_EQ("a" + kBackslashTrail + "/b",
              LanguageTable::ReplaceAll("a" + kBackslashTrail + "\\b", "\\", "/"));
    EXPECT_EQ(kHashTrail + "\r\n" + kHashTrail,
              LanguageTable::ReplaceAll(kHashTrail + "#" + kHashTrail, "#", "\r\n"));
    // A whole double-byte character is found like any other text.
    EXPECT_EQ("a-b", LanguageTable::ReplaceAll("a" + kBackslashTrail + "b", kBackslashTrail, "-"));
}

TEST(AnsiText, FindLastStepsOverDoubleByteCharacters)
{
    ASSERT_EQ(936u, GetACP());
    EXPECT_EQ(1u, AnsiText::FindLast("c\\" + kBackslashTrail, '\\'));
    EXPECT_EQ(std::string::npos, AnsiText::FindLast(kBackslashTrail, '\\'));
    EXPECT_EQ(3u, AnsiText::FindLast("a\\b\\c", '\\'));
    EXPECT_EQ(std::string::npos, AnsiText::FindLast("", '\\'));
    // A lead byte in the last position stands alone.
    EXPECT_EQ(std::string::npos, AnsiText::FindLast("ab\x95", '\\'));
}

TEST(AnsiText, FindMatchesOnlyOnCharacterBoundaries)
{
    ASSERT_EQ(936u, GetACP());
    EXPECT_EQ(3u, AnsiText::Find(kBackslashTrail + "x\\", "\\"));
    EXPECT_EQ(std::string::npos, AnsiText::Find(kBackslashTrail, "\\"));
    EXPECT_EQ(0u, AnsiText::Find("abc", ""));
    EXPECT_EQ(3u, AnsiText::Find("abc", "", 3));
    EXPECT_EQ(2u, AnsiText::Find("abab", "ab", 1));
    EXPECT_EQ(std::string::npos, AnsiText::Find("ab", "abc"));
}

} // namespace
