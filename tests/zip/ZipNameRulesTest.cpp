#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/zip/ZipNameRules.h"

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

} // namespace
