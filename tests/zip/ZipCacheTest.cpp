#include "zip/ZipReaderFixture.h"

#include <cstring>

#include "zip/CountingZipPlatform.h"

namespace {

using ZipCacheTest = ZipReaderFixture;

TEST_F(ZipCacheTest, SecondDescriptionOfTheSameItemComesFromTheCache)
{
    ASSERT_NE(nullptr, OpenArchive({{"a.txt", "alpha"}, {"dir/b.txt", PatternData(0x6000)}}));
    ZipItemInfo first = Item(1);
    long calls = ZipPlatformCalls();
    ZipItemInfo again = Item(1);
    EXPECT_EQ(calls, ZipPlatformCalls());
    EXPECT_EQ(0, std::memcmp(&first, &again, sizeof first));
    EXPECT_STREQ("dir/b.txt", again.name);

    Item(-1);
    EXPECT_EQ(calls, ZipPlatformCalls()) << "the count is known without the file";

    Item(0);
    EXPECT_GT(ZipPlatformCalls(), calls) << "another item is read from the file";
    calls = ZipPlatformCalls();
    Item(1);
    EXPECT_GT(ZipPlatformCalls(), calls) << "the cache holds one description only";
}

TEST_F(ZipCacheTest, CachedDescriptionStillClosesTheOpenItem)
{
    std::string data = PatternData(0x6000);
    ASSERT_NE(nullptr, OpenArchive({{"a.bin", data}}));
    std::vector<char> buffer(0x4000);
    Item(0);
    ASSERT_EQ(ZipMore, ZipReader::ReadItem(handle_, 0, buffer.data(), 0x4000));
    Item(0);
    EXPECT_TRUE(ReadAll(0).data == data);
}

TEST_F(ZipCacheTest, StepsForwardOneItemAtATime)
{
    std::vector<ZipTestItem> items;
    for (int i = 0; i < 40; ++i)
        items.push_back({"f" + std::to_string(i), "x"});
    ASSERT_NE(nullptr, OpenArchive(items));
    Item(0);
    long calls = ZipPlatformCalls();
    Item(1);
    long oneStep = ZipPlatformCalls() - calls;
    calls = ZipPlatformCalls();
    for (int i = 2; i < 40; ++i)
        Item(i);
    EXPECT_EQ(38 * oneStep, ZipPlatformCalls() - calls) << "each forward item costs the same";
    calls = ZipPlatformCalls();
    Item(39 - 1);
    EXPECT_GT(ZipPlatformCalls() - calls, 10 * oneStep) << "going back restarts at the first item";
}

} // namespace
