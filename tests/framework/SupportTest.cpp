// The small holders of system resources.
#include <gtest/gtest.h>

#include <windows.h>

#include "framework/RegKey.h"

namespace {

// Values written by other programs need not end in a NUL or be strings at all.
TEST(RegKeyTest, StringWithoutTerminatorOrOfAnotherTypeReadsSafely)
{
    const char* path = "Software\\OrvantaFrameworkTest";
    RegKey key;
    ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, path, REG_OPTION_VOLATILE));
    const char raw[4] = {'a', 'b', 'c', 'd'};
    ASSERT_EQ(::RegSetValueExA(key.get(), "Raw", 0, REG_SZ, reinterpret_cast<const BYTE*>(raw), 4), ERROR_SUCCESS);
    DWORD number = 1;
    ASSERT_EQ(::RegSetValueExA(key.get(), "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4),
              ERROR_SUCCESS);
    std::string text;
    EXPECT_TRUE(key.QueryString("Raw", text));
    EXPECT_EQ(text, "abcd");
    EXPECT_FALSE(key.QueryString("Number", text));
    key.Close();
    EXPECT_TRUE(RegKey::DeleteKey(HKEY_CURRENT_USER, path));
}

} // namespace
