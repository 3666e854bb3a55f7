// The engine's path rules and the payload reversal.
#include <gtest/gtest.h>
#include <windows.h>

#include "TestZip.h"
#include "engine/ItemPath.h"
#include "engine/PayloadDecoder.h"

// Names that the ZIP reader's own rules let through must still stay below the directory.
TEST(ItemPathTest, NamesThatLeaveTheDirectoryOrNameADeviceAreRefusedDotComponentsSkipped)
{
    for (const char* name : {"", "..", "../x", "..\\x", "a/../../x", "a\\..\\..\\x", "a/..", "./../x", "...\\x",
                             ". /x", "a/ ../x", "\\x", "/x", "\\\\server\\share\\x", "//server/share/x", "C:\\x",
                             "C:x", "c:/x", "x:y", "file.txt:stream", "CON", "nul.txt", "a/com1", "LPT9.log", "aux ",
                             "conout$", ".", "./", "./.", ". ", " ", "./ /x", "a/.. ", "x/./../y"}) {
        std::string full;
        EXPECT_FALSE(ItemPath::Resolve("C:\\Apps\\Orvanta", name, full)) << name;
    }
    // A "." component is the folder it stands in.
    const char* const kept[][2] = {{"./readme.txt", "C:\\Apps\\Orvanta\\readme.txt"},
                                   {"./a/./b\\.\\c.txt", "C:\\Apps\\Orvanta\\a\\b\\c.txt"}};
    for (const auto& k : kept) {
        std::string full;
        EXPECT_TRUE(ItemPath::Resolve("C:\\Apps\\Orvanta", k[0], full)) << k[0];
        EXPECT_EQ(k[1], full);
    }
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
