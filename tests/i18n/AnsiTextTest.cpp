#include "i18n/AnsiText.h"
#include "i18n/LanguageTable.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// 0x95 0x5C and 0x95 0x23 are single GBK characters whose trail bytes equal "\" and "#":
// a byte-wise search would match inside them.
const std::string kBackslashTrail = "\x95\x5C";
const std::string kHashTrail = "\x95\x23";

TEST(ReplaceAll, LeftToRightWithoutOverlapOrRescanOrSplitCharacters)
{
    ASSERT_EQ(936u, GetACP());
    const struct {
        std::string source, pattern, replacement, expected;
    } cases[] = {
        {"abc", "", "x", "abc"},
        {"aaa", "aa", "b", "ba"},
        {"one#two##three", "#", "\r\n", "one\r\ntwo\r\n\r\nthree"},
        {"#", "#", "##", "##"},
        {"abc", "abcd", "x", "abc"},
        {"a" + kBackslashTrail + "\\b", "\\", "/", "a" + kBackslashTrail + "/b"},
        {kHashTrail + "#" + kHashTrail, "#", "\r\n", kHashTrail + "\r\n" + kHashTrail},
        {"a" + kBackslashTrail + "b", kBackslashTrail, "-", "a-b"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, LanguageTable::ReplaceAll(c.source, c.pattern, c.replacement)) << c.source;
}

TEST(AnsiText, FindAndFindLastMatchOnlyOnCharacterBoundaries)
{
    ASSERT_EQ(936u, GetACP());
    const size_t none = std::string::npos;
    const struct {
        std::string text;
        size_t expected;
    } last[] = {
        {"c\\" + kBackslashTrail, 1}, {kBackslashTrail, none}, {"a\\b\\c", 3},
        {"ab\x95", none},  // a lead byte in the last position stands alone
    };
    for (const auto& c : last)
        EXPECT_EQ(c.expected, AnsiText::FindLast(c.text, '\\')) << c.text;

    const struct {
        std::string text, pattern;
        size_t from, expected;
    } find[] = {
        {kBackslashTrail + "x\\", "\\", 0, 3}, {kBackslashTrail, "\\", 0, none}, {"abc", "", 3, 3},
        {"abab", "ab", 1, 2}, {"ab", "abc", 0, none},
    };
    for (const auto& c : find)
        EXPECT_EQ(c.expected, AnsiText::Find(c.text, c.pattern, c.from)) << c.text;
}

} // namespace
