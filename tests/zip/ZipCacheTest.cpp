#include "zip/ZipReaderFixture.h"

#include "zip/CountingZipPlatform.h"

namespace {

using ZipCacheTest = ZipReaderFixture;

// A description asked for again, as the extraction does for every item, is the same one,
// and the item opened for reading after the first description is still closed.
TEST_F(ZipCacheTest, CachedDescriptionStillClosesTheOpenItem)
{
    std::string data = PatternData(0x6000);
    ASSERT_NE(nullptr, OpenArchive({{"a.bin", data}}));
    std::vector<char> buffer(0x4000);
    ZipItemInfo first = Item(0);
    ASSERT_EQ(ZipMore, ZipReader::ReadItem(handle_, 0, buffer.data(), 0x4000));
    ZipItemInfo again = Item(0);
    EXPECT_STREQ(first.name, again.name);
    EXPECT_EQ(first.uncompressedSize64, again.uncompressedSize64);
    EXPECT_EQ(first.writeTime, again.writeTime);
    EXPECT_TRUE(ReadAll(0).data == data);
}

// Offset of the central directory, from the end record of an archive without a comment.
int64_t DirectoryOffset(const std::string& path)
{
    std::string bytes = ZipTestArchive::Load(path);
    const unsigned char* end = reinterpret_cast<const unsigned char*>(bytes.data() + bytes.size() - 22);
    return int64_t(end[16]) | int64_t(end[17]) << 8 | int64_t(end[18]) << 16 | int64_t(end[19]) << 24;
}

TEST_F(ZipCacheTest, StepsForwardOneItemAtATimeFromMemory)
{
    // Long names make the central directory many times larger than a reader would keep in
    // memory, and the last item's data keeps its start away from the local headers, so a
    // return to its first entry is a read of the file: a walk that went back there for
    // every item would take time quadratic in the number of items.
    const int count = 300;
    std::vector<ZipTestItem> items;
    for (int i = 0; i < count - 1; ++i)
        items.push_back({std::string(60, 'n') + std::to_string(i), "x"});
    std::string noise(0x4000, '\0');
    uint32_t seed = 1;
    for (char& c : noise)
        c = char((seed = seed * 1103515245u + 12345u) >> 24);
    items.push_back({"last", noise});
    ASSERT_NE(nullptr, OpenArchive(items));
    int64_t directory = DirectoryOffset(ArchivePath());
    Item(0);
    long restarts = ZipPlatformReadsFrom(directory);
    for (int i = 1; i < count - 1; ++i)
        EXPECT_EQ(std::string(60, 'n') + std::to_string(i), Item(i).name);
    EXPECT_STREQ("last", Item(count - 1).name);
    EXPECT_EQ(restarts, ZipPlatformReadsFrom(directory)) << "a forward walk never goes back to the first item";
    EXPECT_EQ(std::string(60, 'n') + "298", Item(count - 2).name) << "a step back finds its item";
}

} // namespace
