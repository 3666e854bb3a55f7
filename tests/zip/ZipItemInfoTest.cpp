#include "zip/ZipReaderFixture.h"

#include "engine/zip/ZipTimes.h"

namespace {

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

// The extended timestamp overrides only the times it flags; a stamp naming no date gives
// no time.
TEST_F(ZipReaderFixture, TimesFromTheDosStampAndTheExtendedTimestamp)
{
    const int32_t m = 1600000000, c = 1500000000;
    ZipTestItem plain{"plain", "x"}, invalid{"invalid", "x"}, stamped{"stamped", "x"};
    plain.dosDateTime = ZipTestArchive::DosDateTime(2024, 2, 29, 23, 59, 58);
    invalid.dosDateTime = ZipTestArchive::DosDateTime(2023, 2, 30, 10, 0, 0);
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

// The rules themselves are ZipNameRulesTest's; here: they are applied, after the cut to 259 bytes.
TEST_F(ZipReaderFixture, NamesAreCutBeforeTheyAreReturned)
{
    const std::string longName = std::string(280, 'n') + "/tail.txt";
    ASSERT_NE(nullptr, OpenArchive({{"c:\\x\\..\\y/z.txt", "x"}, {"c:\\/\\", "x"}, {longName, "x"},
                                    {"../" + std::string(300, 'm'), "x"}}));
    EXPECT_STREQ("y/z.txt", Item(0).name);
    EXPECT_STREQ("", Item(1).name);
    EXPECT_EQ("x", ReadAll(1).data) << "an item whose name is empty still reads";
    EXPECT_EQ(longName.substr(0, 259), Item(2).name);
    EXPECT_EQ(std::string(256, 'm'), Item(3).name) << "cut to 259 bytes first, then the rules";
}

} // namespace
