// The engine's path rules and the payload reversal.
#include <gtest/gtest.h>
#include <windows.h>

#include "TestZip.h"
#include "engine/ItemPath.h"
#include "engine/PayloadDecoder.h"

// Names that the ZIP reader's own rules let through must still stay below the directory.
TEST(ItemPathTest, NamesThatLeaveTheDirectoryOrNameADeviceAreRefused)
{
    for (const char* name : {"", "..", "../x", "..\\x", "a/../../x", "a\\..\\..\\x", "a/..", "./../x", "...\\x",
                             ". /x", "a/ ../x", "\\x", "/x", "\\\\server\\share\\x", "//server/share/x", "C:\\x",
                             "C:x", "c:/x", "x:y", "file.txt:stream", "CON", "nul.txt", "a/com1", "LPT9.log", "aux ",
                             "conout$"}) {
        std::string full;
        EXPECT_FALSE(ItemPath::Resolve("C:\\Apps\\Orvanta", name, full)) << name;
    }
}

TEST(ItemPathTest, SameDirectoryIgnoresCaseAndATrailingBackslashAndIsDbcsSafe)
{
    EXPECT_TRUE(ItemPath::SameDirectory("C:\\Program Files\\Orvanta", "c:\\program files\\ORVANTA\\"));
    EXPECT_FALSE(ItemPath::SameDirectory("C:\\Orvanta", "C:\\Orvanta2"));
    EXPECT_FALSE(ItemPath::SameDirectory("", ""));
    if (::GetACP() != 936)
        GTEST_SKIP() << "needs code page 936";
    // 0xB1 0x5C is one GBK character whose second byte equals "\".
    EXPECT_FALSE(ItemPath::SameDirectory("C:\\d\\\xB1\x5C", "C:\\d\\\xB1"));
    EXPECT_EQ("C:\\d", ItemPath::Parent("C:\\d\\\xB1\x5C"));
}

// Sizes around the eight-byte steps from both ends, odd and even.
TEST(PayloadDecoderTest, ReversesEverySize)
{
    for (size_t size : {1u, 5u, 8u, 15u, 16u, 17u, 33u}) {
        std::string bytes = TestZip::Bytes(size, unsigned(size));
        std::string reversed(bytes.rbegin(), bytes.rend());
        PayloadDecoder::Reverse(&bytes[0], bytes.size());
        EXPECT_EQ(reversed, bytes) << size;
    }
}
