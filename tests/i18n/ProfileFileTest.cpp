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

TEST_F(ProfileFileTest, StartsOnSystemIniAndSetFileReplacesThePath)
{
    EXPECT_EQ("system.ini", profile_.GetFile());
    profile_.SetFile("c:\\x\\lang.ini");
    EXPECT_EQ("c:\\x\\lang.ini", profile_.GetFile());
}

TEST_F(ProfileFileTest, AbsentFileSectionOrKeyGivesTheDefault)
{
    profile_.SetFile(dir_.file("missing.ini"));
    EXPECT_EQ("dflt", profile_.ReadString("lang", "count", "dflt"));
    EXPECT_EQ(7, profile_.ReadInt("lang", "count", 7));

    Use("[other]\r\nkey=value\r\n[lang]\r\nname=x\r\n");
    EXPECT_EQ("dflt", profile_.ReadString("none", "key", "dflt"));
    EXPECT_EQ("dflt", profile_.ReadString("lang", "key", "dflt"));
    EXPECT_EQ(-5, profile_.ReadInt("lang", "key", -5));
    EXPECT_EQ("value", profile_.ReadString("other", "key", "dflt"));
}

TEST_F(ProfileFileTest, SectionAndKeyNamesIgnoreCase)
{
    Use("[Install]\r\nTitle=Mine\r\n");
    EXPECT_EQ("Mine", profile_.ReadString("install", "title", ""));
}

TEST_F(ProfileFileTest, PresentButEmptyKeyIsEmptyNotTheDefault)
{
    Use("[s]\r\ntext=\r\nnumber=\r\n");
    EXPECT_EQ("", profile_.ReadString("s", "text", "dflt"));
    EXPECT_EQ(0, profile_.ReadInt("s", "number", 9));
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

TEST_F(ProfileFileTest, IntegersAreReadAsTextAndConverted)
{
    Use("[n]\r\nspaced= 12x\r\nneg=-3\r\nplus=+4\r\nletters=abc\r\nsign=+\r\nempty=\r\n"
        "big=99999999999\r\nsmall=-99999999999\r\n");
    EXPECT_EQ(12, profile_.ReadInt("n", "spaced", 1));
    EXPECT_EQ(-3, profile_.ReadInt("n", "neg", 1));
    EXPECT_EQ(4, profile_.ReadInt("n", "plus", 1));
    EXPECT_EQ(0, profile_.ReadInt("n", "letters", 1));
    EXPECT_EQ(0, profile_.ReadInt("n", "sign", 1));
    EXPECT_EQ(0, profile_.ReadInt("n", "empty", 1));
    EXPECT_EQ(2147483647, profile_.ReadInt("n", "big", 1));
    EXPECT_EQ(-2147483647 - 1, profile_.ReadInt("n", "small", 1));
    EXPECT_EQ(-2147483647 - 1, profile_.ReadInt("n", "absent", -2147483647 - 1));
}

TEST(ProfileFileToInt, FollowsTheConversionRules)
{
    EXPECT_EQ(12, ProfileFile::ToInt(" \t12x"));
    EXPECT_EQ(-3, ProfileFile::ToInt("-3"));
    EXPECT_EQ(0, ProfileFile::ToInt("abc"));
    EXPECT_EQ(0, ProfileFile::ToInt("+"));
    EXPECT_EQ(0, ProfileFile::ToInt("- 3"));
    EXPECT_EQ(0, ProfileFile::ToInt(""));
    EXPECT_EQ(7, ProfileFile::ToInt("007"));
    EXPECT_EQ(2147483647, ProfileFile::ToInt("2147483648"));
    EXPECT_EQ(-2147483647 - 1, ProfileFile::ToInt("-2147483648"));
}

TEST_F(ProfileFileTest, EveryReadSeesTheFileAsItIsNow)
{
    Use("[s]\r\nk=first\r\n");
    EXPECT_EQ("first", profile_.ReadString("s", "k", ""));
    std::string other = dir_.file("other.ini");
    ASSERT_TRUE(testsupport::WriteBytes(other, "[s]\r\nk=second\r\n"));
    profile_.SetFile(other);
    EXPECT_EQ("second", profile_.ReadString("s", "k", ""));
}

} // namespace
