#include "zip/ZipReaderFixture.h"

#include "engine/zip/ZipPlatform.h"
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

TEST_F(ZipReaderFixture, DosStampIsLocalTimeInAllThreeFields)
{
    ZipTestItem plain{"plain", "x"};
    plain.dosDateTime = ZipTestArchive::DosDateTime(2024, 2, 29, 23, 59, 58);
    ZipTestItem invalid{"invalid", "x"};
    invalid.dosDateTime = ZipTestArchive::DosDateTime(2023, 2, 30, 10, 0, 0);
    ZipTestItem otherExtra{"other-extra", "x"};
    otherExtra.localExtra = ZipTestArchive::Record("ux", std::string(11, '\x01'));
    ASSERT_NE(nullptr, OpenArchive({plain, invalid, otherExtra}));

    ZipItemInfo info = Item(0);
    ExpectLocalStamp(Unix(1709251198), info.writeTime);
    EXPECT_EQ(info.writeTime, info.accessTime);
    EXPECT_EQ(info.writeTime, info.creationTime);

    info = Item(1);
    EXPECT_EQ(0u, info.writeTime) << "a stamp naming no date gives no time";
    EXPECT_EQ(0u, info.accessTime);

    info = Item(2);
    ExpectLocalStamp(Unix(1736688506), info.writeTime);
    EXPECT_EQ(info.writeTime, info.creationTime);
}

TEST_F(ZipReaderFixture, ExtendedTimestampOverridesTheFlaggedTimes)
{
    auto item = [](const std::string& name, const std::string& extra) {
        ZipTestItem i{name, "data"};
        i.localExtra = extra;
        return i;
    };
    const int32_t m = 1600000000, a = 1600000100, c = 1500000000;
    ASSERT_NE(nullptr, OpenArchive({
        item("all", ZipTestArchive::TimestampRecord(7, {m, a, c})),
        item("write-only", ZipTestArchive::TimestampRecord(1, {m})),
        item("access-only", ZipTestArchive::TimestampRecord(2, {a})),
        item("after-other", ZipTestArchive::Record("xy", "12345") + ZipTestArchive::TimestampRecord(5, {m, c})),
        item("short-record", ZipTestArchive::TimestampRecord(7, {m}) + ZipTestArchive::TimestampRecord(7, {a, a, a})),
        item("before-1970", ZipTestArchive::TimestampRecord(1, {-86400})),
        item("too-small", std::string("UT\x01\x00", 4)),
    }));
    uint64_t dos = 0;
    ASSERT_TRUE(ZipTimes::FromDosDateTime(ZipTestItem().dosDateTime, dos));

    // Only the first UT record counts, and only what it holds; the first time present
    // belongs to the first flag set.
    const uint64_t expected[][3] = {
        {Unix(m), Unix(a), Unix(c)}, {Unix(m), dos, dos}, {dos, Unix(a), dos}, {Unix(m), dos, Unix(c)}, {Unix(m), dos, dos},
    };
    for (int32_t i = 0; i < 5; ++i) {
        ZipItemInfo info = Item(i);
        EXPECT_EQ(expected[i][0], info.writeTime) << info.name;
        EXPECT_EQ(expected[i][1], info.accessTime) << info.name;
        EXPECT_EQ(expected[i][2], info.creationTime) << info.name;
    }
    EXPECT_EQ(Unix(-86400), Item(5).writeTime);
    EXPECT_EQ(116444736000000000u - 864000000000u, Item(5).writeTime);
    EXPECT_EQ(dos, Item(6).writeTime);
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

TEST(ZipPlatformTimes, SystemTimeFollowsTheWin32Calendar)
{
    uint64_t fileTime = 0;
    ZipSystemTime epoch;
    epoch.year = 1970;
    epoch.month = 1;
    epoch.day = 1;
    ASSERT_TRUE(ZipPlatform::SystemTimeToFileTime(epoch, fileTime));
    EXPECT_EQ(116444736000000000u, fileTime);
    ZipSystemTime leap = epoch;
    leap.year = 2000;
    leap.month = 2;
    leap.day = 29;
    leap.second = 59;
    ASSERT_TRUE(ZipPlatform::SystemTimeToFileTime(leap, fileTime));
    EXPECT_EQ(Unix(951782459), fileTime);
    leap.day = 30;
    EXPECT_FALSE(ZipPlatform::SystemTimeToFileTime(leap, fileTime));
    for (auto spoil : {+[](ZipSystemTime& t) { t.month = 13; }, +[](ZipSystemTime& t) { t.hour = 24; }}) {
        ZipSystemTime bad = epoch;
        spoil(bad);
        EXPECT_FALSE(ZipPlatform::SystemTimeToFileTime(bad, fileTime));
    }
}

} // namespace
