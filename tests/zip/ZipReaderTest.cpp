#include "zip/ZipReaderFixture.h"

#include <fstream>

namespace {

// Index -1 gives the count; a failed description empties index, name and size.
TEST_F(ZipReaderFixture, OpenCountAndBadArguments)
{
    EXPECT_EQ(nullptr, ZipReader::OpenFile(scratch_.file("missing.zip").c_str(), nullptr));
    EXPECT_EQ(nullptr, SaveArchive(std::string(5000, 'x')));
    ASSERT_NE(nullptr, OpenArchive({{"a", "1"}, {"b/", ""}, {"b/c", "22"}}));
    const std::string whole = ZipTestArchive::Load(ArchivePath());
    EXPECT_EQ(nullptr, SaveArchive(whole.substr(0, whole.size() - 1))) << "one byte short";
    ASSERT_NE(nullptr, SaveArchive(whole));
    EXPECT_EQ(3, Item(-1).index);
    EXPECT_STREQ("", Item(-1).name);

    ZipItemInfo info = Item(2);
    EXPECT_EQ(ZipBadArgs, ZipReader::GetItem(handle_, 3, info));
    EXPECT_EQ(0, info.index);
    EXPECT_STREQ("", info.name);
    EXPECT_EQ(0, info.uncompressedSize);
    EXPECT_EQ(ZipBadArgs, ZipReader::GetItem(handle_, -2, info));
    EXPECT_EQ(ZipBadArgs, ZipReader::GetItem(nullptr, 0, info));
    char buffer[16];
    for (int32_t index : {3, -1})
        EXPECT_EQ(ZipBadArgs, ZipReader::ReadItem(handle_, index, buffer, sizeof buffer)) << index;
    EXPECT_EQ(ZipBadArgs, ZipReader::ReadItem(nullptr, 0, buffer, sizeof buffer));
    EXPECT_EQ(ZipBadArgs, ZipReader::ReadItem(handle_, 0, nullptr, 4));
    EXPECT_EQ("22", ReadAll(2).data) << "the reader still works after bad arguments";
}

// An item ends (ZipOk) in the buffer that holds its last byte. Items read in any order, and
// describing the open item again, from the description cache, starts it over.
TEST_F(ZipReaderFixture, ItemsReadInChunksInAnyOrder)
{
    const struct {
        int method;
        size_t size;
        Statuses statuses;
    } cases[] = {
        {0, 0, {ZipOk}}, {0, 0x4000, {ZipOk}}, {0, 0x4001, {ZipMore, ZipOk}}, {8, 0x4000, {ZipOk}},
        {8, 0xC005, {ZipMore, ZipMore, ZipMore, ZipOk}},
    };
    std::vector<ZipTestItem> items;
    for (const auto& c : cases) {
        items.push_back({"item" + std::to_string(items.size()), PatternData(c.size, unsigned(items.size()))});
        items.back().method = c.method;
    }
    ASSERT_NE(nullptr, OpenArchive(items));
    for (size_t i = items.size(); i-- > 0;) {
        ZipReadResult result = ReadAll(int32_t(i));
        EXPECT_EQ(cases[i].statuses, result.statuses) << i;
        EXPECT_TRUE(result.data == items[i].data) << i;
    }

    std::vector<char> buffer(0x4000);
    Item(4);
    ASSERT_EQ(ZipMore, ZipReader::ReadItem(handle_, 4, buffer.data(), 0x4000));
    EXPECT_TRUE(ReadAll(4).data == items[4].data) << "an item described again starts at its beginning";
    ASSERT_EQ(ZipOk, ZipReader::ReadItem(handle_, 1, buffer.data(), 0x4000));
    EXPECT_EQ(ZipOk, ZipReader::ReadItem(handle_, 1, buffer.data(), 0x4000)) << "an ended item stays ended";
}

// The reader checks the header and decrypts traditional PKWARE itself. Any header passes one
// password in 256; the header written here fails "" and "wrong".
TEST_F(ZipReaderFixture, EncryptedItemNeedsItsPassword)
{
    for (int method : {0, 8}) {
        ZipTestItem secret{"secret.txt", PatternData(0x4800)};
        secret.method = method;
        secret.password = "s3cret";
        char buffer[64];
        for (const char* wrong : {static_cast<const char*>(nullptr), "wrong"}) {
            ASSERT_NE(nullptr, OpenArchive({secret, {"plain.txt", "plain"}}, wrong));
            EXPECT_EQ(secret.data.size(), size_t(Item(0).uncompressedSize));
            EXPECT_EQ(ZipPassword, ZipReader::ReadItem(handle_, 0, buffer, sizeof buffer)) << method;
            EXPECT_EQ("plain", ReadAll(1).data) << "unencrypted items read with any password";
        }
        ASSERT_NE(nullptr, Reopen("s3cret"));
        ZipReadResult result = ReadAll(0);
        EXPECT_EQ((Statuses{ZipMore, ZipOk}), result.statuses) << method;
        EXPECT_TRUE(result.data == secret.data) << method;
    }
}

// A damaged item fails alone: data that does not inflate, stored bytes shorter than recorded
// (never claimed as a full buffer), and a method other than stored and deflated (bzip2 here),
// whose bytes would otherwise be handed out as data.
TEST_F(ZipReaderFixture, DamagedItemsFailAndLaterItemsStillRead)
{
    ZipTestItem broken{"broken.bin", std::string(64, '\xFF')}, cut{"short.bin", "0123456789"}, bzip2{"b.bz2", "bz"};
    broken.raw = cut.raw = true;
    broken.rawUncompressedSize = 1000;  // an invalid deflate block type
    cut.method = bzip2.method = 0;
    cut.rawUncompressedSize = 20;
    ASSERT_TRUE(ZipTestArchive::Write(ArchivePath(), {broken, cut, bzip2, {"good.txt", PatternData(0x4100)}}));
    std::string bytes = ZipTestArchive::Load(ArchivePath());
    ZipTestArchive::Put16(bytes, bytes.find("b.bz2") - 22, 12);   // the local header's method
    ZipTestArchive::Put16(bytes, bytes.rfind("b.bz2") - 36, 12);  // the central header's method
    ASSERT_NE(nullptr, SaveArchive(bytes));

    for (int32_t index : {0, 1, 2})
        EXPECT_EQ(Statuses{ZipInflateError}, ReadAll(index, 64).statuses) << index;
    ZipReadResult good = ReadAll(3);
    EXPECT_EQ((Statuses{ZipMore, ZipOk}), good.statuses);
    EXPECT_TRUE(good.data == PatternData(0x4100));
}

// A damaged or cut-off header fails its item. An archive that claims more items than it holds
// stops at the first it cannot describe; the earlier ones stay reachable.
TEST_F(ZipReaderFixture, DamagedHeadersFailTheirItem)
{
    ASSERT_TRUE(ZipTestArchive::Write(ArchivePath(), {{"a.txt", "alpha"}, {"b.txt", "bravo"}, {"c.txt", "charlie"}}));
    const std::string good = ZipTestArchive::Load(ArchivePath());
    ZipItemInfo info;
    std::string bytes = good;
    bytes[0] = 'X';  // the first local header's signature
    ASSERT_NE(nullptr, SaveArchive(bytes));
    EXPECT_EQ(ZipBadHeader, ZipReader::GetItem(handle_, 0, info));
    EXPECT_STREQ("b.txt", Item(1).name);

    bytes = good;
    ZipTestArchive::Put16(bytes, good.find("c.txt") - 2, 0xFFFF);  // the local extra's length
    ASSERT_NE(nullptr, SaveArchive(bytes));
    EXPECT_EQ(ZipReadFailed, ZipReader::GetItem(handle_, 2, info)) << "local extra data past the file's end";

    bytes = good;
    ZipTestArchive::Put16(bytes, good.rfind("PK\5\6") + 8, 5);
    ZipTestArchive::Put16(bytes, good.rfind("PK\5\6") + 10, 5);
    ASSERT_NE(nullptr, SaveArchive(bytes));
    EXPECT_EQ(5, Item(-1).index);
    EXPECT_STREQ("c.txt", Item(2).name);
    for (int32_t index : {4, 3})
        EXPECT_EQ(ZipBadHeader, ZipReader::GetItem(handle_, index, info)) << index;
    EXPECT_EQ("alpha", ReadAll(0).data) << "earlier items stay reachable";
    char buffer[8];
    EXPECT_EQ(ZipInflateError, ZipReader::ReadItem(handle_, 3, buffer, sizeof buffer));
}

// Items described in order step forward through the central directory one entry at a time;
// a walk that went back to the first entry for every item would take quadratic time. Long
// names make the directory many times larger than the reader keeps in memory, so once the
// first entry is damaged on disk, any later return to it fails. (Steps back are
// ItemsReadInChunksInAnyOrder's.)
TEST_F(ZipReaderFixture, ItemsInOrderWalkTheCentralDirectoryForward)
{
    std::vector<ZipTestItem> items;
    for (int i = 0; i < 300; ++i)
        items.push_back({std::string(60, 'n') + std::to_string(i), "x"});
    ASSERT_NE(nullptr, OpenArchive(items));
    Item(0);
    const size_t directory = ZipTestArchive::Load(ArchivePath()).find("PK\1\2");
    std::fstream file(ArchivePath(), std::ios::binary | std::ios::in | std::ios::out);
    if (!file.seekp(std::streamoff(directory)).put('X').flush())
        GTEST_SKIP() << "the system keeps an archive open for reading from being changed";
    int32_t described = 1;
    while (described < 300 && items[size_t(described)].name == Item(described).name)
        ++described;
    EXPECT_EQ(300, described) << "the walk went back to the damaged first entry";
}

} // namespace
