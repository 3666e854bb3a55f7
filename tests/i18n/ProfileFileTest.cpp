#include "i18n/ProfileFile.h"

#include "IniFile.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class ProfileFileTest : public ::testing::Test {
protected:
    // A profile file holding bytes, in this test's own fresh folder.
    void Use(const std::string& bytes)
    {
        std::string path = dir_.file("lang.ini");
        ASSERT_TRUE(testsupport::WriteBytes(path, bytes));
        profile_.SetFile(path);
    }

    testsupport::ScratchDir dir_;
    ProfileFile profile_;
};

TEST_F(ProfileFileTest, DefaultsOnlyForAbsentFileSectionOrKey)
{
    profile_.SetFile(dir_.file("missing.ini"));
    EXPECT_EQ("dflt", profile_.ReadString("lang", "count", "dflt"));
    EXPECT_EQ(7, profile_.ReadInt("lang", "count", 7));

    Use("[other]\r\nkey=value\r\n[Lang]\r\nName=x\r\ntext=\r\nnumber=\r\n");
    EXPECT_EQ("dflt", profile_.ReadString("none", "key", "dflt"));
    EXPECT_EQ(-5, profile_.ReadInt("lang", "key", -5));
    EXPECT_EQ("value", profile_.ReadString("other", "key", "dflt"));
    EXPECT_EQ("x", profile_.ReadString("lang", "name", "")) << "names ignore case";
    EXPECT_EQ("", profile_.ReadString("lang", "text", "dflt")) << "present but empty";
    EXPECT_EQ(0, profile_.ReadInt("lang", "number", 9));
}

TEST_F(ProfileFileTest, LongValueIsCutAt2047Bytes)
{
    std::string value;
    for (int i = 0; i < 2100; ++i)
        value += static_cast<char>('a' + i % 26);
    Use("[s]\r\nlong=" + value + "\r\nexact=" + value.substr(0, 2047) + "\r\n");
    EXPECT_EQ(value.substr(0, 2047), profile_.ReadString("s", "long", ""));
    EXPECT_EQ(value.substr(0, 2047), profile_.ReadString("s", "exact", ""));
}

// Values beyond the int range clamp instead of overflowing.
TEST_F(ProfileFileTest, IntegersAreReadAsTextAndConverted)
{
    Use("[n]\r\nspaced= 12x\r\nbig=99999999999\r\n");
    EXPECT_EQ(12, profile_.ReadInt("n", "spaced", 1));
    EXPECT_EQ(2147483647, profile_.ReadInt("n", "big", 1));
    const struct {
        const char* text;
        int expected;
    } cases[] = {
        {" \t12x", 12}, {"-3", -3}, {"+4", 4}, {"abc", 0}, {"- 3", 0}, {"", 0},
        {"2147483648", 2147483647}, {"-2147483648", -2147483647 - 1}, {"-99999999999", -2147483647 - 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, ProfileFile::ToInt(c.text)) << c.text;
}

} // namespace
