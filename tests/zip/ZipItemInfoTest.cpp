#include "zip/ZipReaderFixture.h"

#include "engine/zip/ZipPlatform.h"
#include "engine/zip/ZipTimes.h"

namespace {

constexpr uint32_t R = ZipItemInfo::ReadOnly, H = ZipItemInfo::Hidden, S = ZipItemInfo::System,
                   D = ZipItemInfo::Directory, A = ZipItemInfo::Archive;

ZipTestItem WithAttributes(const std::string& name, uint32_t versionMadeBy, uint32_t external)
{
    ZipTestItem item{name, ""};
    item.versionMadeBy = versionMadeBy;
    item.externalAttributes = external;
    return item;
}

TEST_F(ZipReaderFixture, AttributesFromDosAndUnixHosts)
{
    const uint32_t unix = ZipTestItem::UnixHost;
    ASSERT_NE(nullptr, OpenArchive({
        WithAttributes("dos-all", 0x0014, 0x01 | 0x02 | 0x04 | 0x10 | 0x20),
        WithAttributes("dos-masked", 0x0014, 0xFFFFFFC8u),
        WithAttributes("mac", 0x0700, R | H),
        WithAttributes("ntfs", 0x0B00, D),
        WithAttributes("vfat", 0x0E00, A | S),
        WithAttributes("unix-dir/", unix, 040755u << 16),
        WithAttributes("unix-readonly", unix, 0100444u << 16),
        WithAttributes("unix-file", unix, 0100644u << 16),
        WithAttributes("osx-dir/", 0x1314, 040555u << 16),
        WithAttributes("unix-no-mode", unix, 0x10),
    }));
    EXPECT_EQ(R | H | S | D | A, Item(0).attributes);
    EXPECT_EQ(0u, Item(1).attributes) << "only the five known bits";
    EXPECT_EQ(R | H, Item(2).attributes);
    EXPECT_EQ(D, Item(3).attributes);
    EXPECT_EQ(A | S, Item(4).attributes);
    EXPECT_EQ(D | A, Item(5).attributes);
    EXPECT_EQ(R | A, Item(6).attributes);
    EXPECT_EQ(A, Item(7).attributes);
    EXPECT_EQ(D | A | R, Item(8).attributes);
    EXPECT_EQ(R | A, Item(9).attributes) << "DOS bits of a Unix host mean nothing";
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

    ZipItemInfo info = Item(0);
    EXPECT_EQ(Unix(m), info.writeTime);
    EXPECT_EQ(Unix(a), info.accessTime);
    EXPECT_EQ(Unix(c), info.creationTime);

    info = Item(1);
    EXPECT_EQ(Unix(m), info.writeTime);
    EXPECT_EQ(dos, info.accessTime);
    EXPECT_EQ(dos, info.creationTime);

    info = Item(2);
    EXPECT_EQ(dos, info.writeTime);
    EXPECT_EQ(Unix(a), info.accessTime) << "the first time present belongs to the first flag set";

    info = Item(3);
    EXPECT_EQ(Unix(m), info.writeTime);
    EXPECT_EQ(dos, info.accessTime);
    EXPECT_EQ(Unix(c), info.creationTime);

    info = Item(4);
    EXPECT_EQ(Unix(m), info.writeTime) << "only the first UT record counts, and only what it holds";
    EXPECT_EQ(dos, info.accessTime);
    EXPECT_EQ(dos, info.creationTime);

    EXPECT_EQ(Unix(-86400), Item(5).writeTime);
    EXPECT_EQ(116444736000000000u - 864000000000u, Item(5).writeTime);
    EXPECT_EQ(dos, Item(6).writeTime);
}

TEST_F(ZipReaderFixture, NamesAreCutBeforeTheyAreReturned)
{
    const std::string longName = std::string(280, 'n') + "/tail.txt";  // 289 bytes
    std::vector<std::string> stored = {
        "c:\\x\\..\\y/z.txt", "/abs/file", "..\\..\\x", "..\\x", "c:\\/\\", "a/../../b",
        longName, "../" + std::string(300, 'm'), "plain/name.txt",
    };
    std::vector<ZipTestItem> items;
    for (const std::string& name : stored)
        items.push_back({name, "x"});
    ASSERT_NE(nullptr, OpenArchive(items));

    EXPECT_STREQ("y/z.txt", Item(0).name);
    EXPECT_STREQ("abs/file", Item(1).name);
    EXPECT_STREQ("x", Item(2).name);
    EXPECT_STREQ("x", Item(3).name);
    EXPECT_STREQ("", Item(4).name);
    EXPECT_STREQ("b", Item(5).name);
    EXPECT_EQ(longName.substr(0, 259), Item(6).name);
    EXPECT_EQ(std::string(256, 'm'), Item(7).name) << "cut to 259 bytes first, then the rules";
    EXPECT_STREQ("plain/name.txt", Item(8).name);
    EXPECT_EQ("x", ReadAll(4).data) << "an item whose name is empty still reads";
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
    ZipSystemTime bad = epoch;
    bad.month = 13;
    EXPECT_FALSE(ZipPlatform::SystemTimeToFileTime(bad, fileTime));
    bad = epoch;
    bad.hour = 24;
    EXPECT_FALSE(ZipPlatform::SystemTimeToFileTime(bad, fileTime));
}

} // namespace
