#include "zip/ZipReaderFixture.h"

#include "engine/zip/ZipTimes.h"

namespace {

// A name the archive declares UTF-8 (flag bit 11, or a Unicode Path record whose checksum
// matches the stored name, central or local) is converted to code page 936; one the code page
// cannot hold, or broken UTF-8, leaves no name at all; undeclared names are the stored bytes.
// Then the name is cut to 259 bytes, and drive letters, leading separators and parent
// components are cut from its start, each spelling tried in a fixed order over the whole name;
// everything else stays as stored. Every item still reads.
TEST_F(ZipReaderFixture, NamesAreConvertedCutAndRuledBeforeTheyAreReturned)
{
    const std::string shuoming = "\xE8\xAF\xB4\xE6\x98\x8E";  // 说明 in UTF-8
    const std::string gbk = "\xCB\xB5\xC3\xF7";               // 说明 in code page 936
    const std::string emoji = "\xF0\x9F\x98\x80", longName = std::string(280, 'n') + "/tail.txt";
    const auto up = ZipTestArchive::UnicodePathRecord;
    const struct {
        std::string stored, name;
        uint32_t flags = 0;
        std::string local = {}, central = {};
        bool unconvertible = false;
    } cases[] = {
        {"readme.txt", "readme.txt"}, {"bin/terminal.exe", "bin/terminal.exe"}, {"a/./b", "a/./b"},
        {"docs\\a.b\\..c\\x..", "docs\\a.b\\..c\\x.."}, {"", ""}, {"...\\x", "...\\x"},
        {"c:\\x\\..\\y/z.txt", "y/z.txt"}, {"/abs/file", "abs/file"}, {"..\\..\\x", "x"}, {"c:\\", ""},
        {"D:/\\//", ""}, {"c:d:e:", ""}, {"a/../b", "b"}, {"a\\../b/..\\c", "c"}, {"a/../b\\..\\c", "c"},
        {"\\\\server\\share\\..\\file", "file"}, {"..\\x", "x"}, {"../x", "x"}, {"a/../../b", "b"},
        {"../../../x", "x"}, {"..\\c:\\..\\x", "x"}, {"..", ""}, {"a/..", ""}, {"c:/a/b\\..", ""},
        {"../c:/x", "x"}, {"c:\\/\\", ""}, {gbk + ".txt", gbk + ".txt"}, {longName, longName.substr(0, 259)},
        {"../" + std::string(300, 'm'), std::string(256, 'm')},  // cut to 259 bytes first, then ruled
        {"docs/" + shuoming + ".txt", "docs/" + gbk + ".txt", 0x800},
        {"/../" + shuoming + "/", gbk + "/", 0x800},
        {"x.txt", "x.txt", 0x800},
        {"a" + emoji + ".txt", "", 0x800, "", "", true},
        {"bad\xC3(.txt", "", 0x800, "", "", true},
        {"old.txt", gbk + ".txt", 0, "", up("old.txt", shuoming + ".txt")},
        {"old.txt", gbk, 0, up("old.txt", "c:/" + shuoming)},
        {"old.txt", "old.txt", 0, "", up("renamed.txt", shuoming)},
        {"old.txt", "", 0, "", up("old.txt", emoji), true},
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
        EXPECT_EQ(cases[i].name, info.name) << cases[i].stored;
        EXPECT_EQ(cases[i].unconvertible, info.nameUnconvertible != 0) << cases[i].stored;
        EXPECT_EQ("data", ReadAll(i).data) << cases[i].stored;
    }
}

constexpr uint32_t R = ZipItemInfo::ReadOnly, H = ZipItemInfo::Hidden, S = ZipItemInfo::System,
                   D = ZipItemInfo::Directory, A = ZipItemInfo::Archive;

TEST_F(ZipReaderFixture, AttributesFromDosAndUnixHosts)
{
    const uint32_t unix = ZipTestItem::UnixHost;
    const struct {
        const char* name;
        uint32_t versionMadeBy, external, attributes;
    } cases[] = {
        {"dos-all", 0x0014, 0x01 | 0x02 | 0x04 | 0x10 | 0x20, R | H | S | D | A},
        {"dos-masked", 0x0014, 0xFFFFFFC8u, 0},  // only the five known bits
        {"mac", 0x0700, R | H, R | H},
        {"ntfs", 0x0B00, D, D},
        {"vfat", 0x0E00, A | S, A | S},
        {"unix-dir/", unix, 040755u << 16, D | A},
        {"unix-readonly", unix, 0100444u << 16, R | A},
        {"unix-file", unix, 0100644u << 16, A},
        {"osx-dir/", 0x1314, 040555u << 16, D | A | R},
        {"unix-no-mode", unix, 0x10, R | A},  // DOS bits of a Unix host mean nothing
    };
    std::vector<ZipTestItem> items;
    for (const auto& c : cases) {
        items.push_back({c.name, ""});
        items.back().versionMadeBy = c.versionMadeBy;
        items.back().externalAttributes = c.external;
    }
    ASSERT_NE(nullptr, OpenArchive(items));
    for (int32_t i = 0; i < int32_t(items.size()); ++i)
        EXPECT_EQ(cases[i].attributes, Item(i).attributes) << cases[i].name;
}

uint64_t Unix(int64_t seconds)
{
    return uint64_t(seconds + ZipTimes::UnixEpochOffset) * 10000000u;
}

// The MS-DOS stamp is local time. The host build takes the local zone as UTC; under Windows
// the result differs from the UTC reading by the zone's bias, whole quarter hours, at most 14 h.
void ExpectLocalStamp(uint64_t utcReading, uint64_t fileTime)
{
    int64_t bias = int64_t(fileTime) - int64_t(utcReading);
#ifdef _WIN32
    const int64_t quarterHour = 15LL * 60 * 10000000;
    EXPECT_EQ(0, bias % quarterHour);
    EXPECT_LE(bias < 0 ? -bias : bias, 14 * 4 * quarterHour);
#else
    EXPECT_EQ(0, bias);
#endif
}

// The extended timestamp overrides only the times it flags; an impossible date gives no time.
TEST_F(ZipReaderFixture, TimesFromTheDosStampAndTheExtendedTimestamp)
{
    const int32_t m = 1600000000, c = 1500000000;
    ZipTestItem plain{"plain", "x"}, invalid{"invalid", "x"}, stamped{"stamped", "x"};
    plain.dosDateTime = 0x585DBF7D;    // 2024-02-29 23:59:58
    invalid.dosDateTime = 0x565E5000;  // 2023-02-30 10:00:00
    stamped.localExtra = ZipTestArchive::Record("xy", "12345") + ZipTestArchive::TimestampRecord(5, {m, c});
    ASSERT_NE(nullptr, OpenArchive({plain, invalid, stamped}));

    ZipItemInfo info = Item(0);
    ExpectLocalStamp(Unix(1709251198), info.writeTime);
    EXPECT_EQ(info.writeTime, info.accessTime);
    EXPECT_EQ(info.writeTime, info.creationTime);
    EXPECT_EQ(0u, Item(1).writeTime);
    info = Item(2);
    EXPECT_EQ(Unix(m), info.writeTime);
    EXPECT_EQ(Unix(c), info.creationTime);
    ExpectLocalStamp(Unix(1736688506), info.accessTime);
}

} // namespace
