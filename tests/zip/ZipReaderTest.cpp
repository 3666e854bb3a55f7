#include "zip/ZipReaderFixture.h"

#include "engine/zip/ZipCipher.h"

namespace {

using Statuses = std::vector<ZipStatus>;

TEST_F(ZipReaderFixture, OpenFileFailsForMissingForeignAndTruncatedFiles)
{
    EXPECT_EQ(nullptr, ZipReader::OpenFile(scratch_.file("missing.zip").c_str(), nullptr));
    EXPECT_EQ(nullptr, SaveArchive(std::string(5000, 'x')));
    ASSERT_TRUE(ZipTestArchive::Write(ArchivePath(), {{"a.txt", PatternData(3000)}, {"b.txt", "bbb"}}));
    std::string whole = ZipTestArchive::Load(ArchivePath());
    EXPECT_EQ(nullptr, SaveArchive(whole.substr(0, whole.size() - 1)));
}

// Index -1 gives the count; a failed description empties index, name and size.
TEST_F(ZipReaderFixture, CountAndBadArguments)
{
    char buffer[16];
    ZipItemInfo info;
    EXPECT_EQ(ZipBadArgs, ZipReader::GetItem(nullptr, 0, info));
    EXPECT_EQ(ZipBadArgs, ZipReader::ReadItem(nullptr, 0, buffer, sizeof buffer));
    ASSERT_NE(nullptr, OpenArchive({{"a", "1"}, {"b/", ""}, {"b/c", "22"}}));
    EXPECT_EQ(3, Item(-1).index);
    EXPECT_STREQ("", Item(-1).name);

    info = Item(2);
    EXPECT_EQ(ZipBadArgs, ZipReader::GetItem(handle_, 3, info));
    EXPECT_EQ(0, info.index);
    EXPECT_STREQ("", info.name);
    EXPECT_EQ(0, info.uncompressedSize);
    EXPECT_EQ(ZipBadArgs, ZipReader::GetItem(handle_, -2, info));
    EXPECT_EQ(ZipBadArgs, ZipReader::ReadItem(handle_, 3, buffer, sizeof buffer));
    EXPECT_EQ(ZipBadArgs, ZipReader::ReadItem(handle_, -1, buffer, sizeof buffer));
    EXPECT_EQ(ZipBadArgs, ZipReader::ReadItem(handle_, 0, nullptr, 4));
    EXPECT_EQ(Statuses{ZipOk}, ReadAll(2).statuses) << "the reader still works after bad arguments";
}

struct ChunkCase {
    int method;
    size_t size;
    Statuses statuses;
};

class ZipChunkTest : public ZipReaderFixture, public ::testing::WithParamInterface<ChunkCase> {};

TEST_P(ZipChunkTest, ItemEndsInTheBufferThatHoldsItsLastByte)
{
    const ChunkCase& c = GetParam();
    ZipTestItem item{"item.bin", PatternData(c.size)};
    item.method = c.method;
    ASSERT_NE(nullptr, OpenArchive({item, {"next.txt", "next"}}));
    ZipReadResult result = ReadAll(0);
    EXPECT_EQ(c.statuses, result.statuses);
    EXPECT_TRUE(result.data == item.data);
    EXPECT_EQ("next", ReadAll(1).data);
}

INSTANTIATE_TEST_SUITE_P(StoredAndDeflated, ZipChunkTest,
    ::testing::Values(ChunkCase{0, 0, {ZipOk}}, ChunkCase{0, 0x4000, {ZipOk}}, ChunkCase{0, 0x4001, {ZipMore, ZipOk}},
                      ChunkCase{8, 0x4000, {ZipOk}}, ChunkCase{8, 0xC005, {ZipMore, ZipMore, ZipMore, ZipOk}}));

TEST_F(ZipReaderFixture, ItemsReadInAnyOrderAndGetItemRestartsTheOpenItem)
{
    std::vector<ZipTestItem> items = {{"a", PatternData(0x5000, 1)}, {"b", PatternData(0x9000, 2)}, {"c", "tail"}};
    ASSERT_NE(nullptr, OpenArchive(items));
    EXPECT_TRUE(ReadAll(2).data == "tail");
    EXPECT_TRUE(ReadAll(0).data == items[0].data);

    std::vector<char> buffer(0x4000);
    ASSERT_EQ(ZipMore, ZipReader::ReadItem(handle_, 1, buffer.data(), 0x4000));
    Item(1);
    EXPECT_TRUE(ReadAll(1).data == items[1].data) << "an item asked for again starts at its beginning";
    EXPECT_TRUE(ReadAll(0).data == items[0].data);

    ASSERT_EQ(ZipOk, ZipReader::ReadItem(handle_, 2, buffer.data(), 0x4000));
    EXPECT_EQ(ZipOk, ZipReader::ReadItem(handle_, 2, buffer.data(), 0x4000)) << "an ended item stays ended";
}

// The reader verifies the check byte and decrypts traditional PKWARE itself. Any header
// passes one password in 256, so the header seed is chosen to fail "" and "wrong".
TEST_F(ZipReaderFixture, EncryptedItemNeedsItsPassword)
{
    for (int method : {0, 8}) {
        ZipTestItem secret{"secret.txt", PatternData(0x4800)};
        secret.method = method;
        secret.password = "s3cret";
        bool passes = true;
        for (secret.headerSeed = 1; passes; ++secret.headerSeed) {
            ASSERT_LT(secret.headerSeed, 50u) << "no header found that fails the check";
            CloseArchive();
            ASSERT_TRUE(ZipTestArchive::Write(ArchivePath(), {secret, {"plain.txt", "plain"}}));
            std::string bytes = ZipTestArchive::Load(ArchivePath());
            auto header = reinterpret_cast<const uint8_t*>(bytes.data() + ZipTestArchive::FirstDataOffset(secret.name, 0));
            uint8_t check = ZipCipher::CheckByte(1, ZipTestArchive::Crc(secret.data), secret.dosDateTime);
            passes = ZipCipher("").AcceptHeader(header, check) || ZipCipher("wrong").AcceptHeader(header, check);
        }
        char buffer[64];
        ASSERT_NE(nullptr, Reopen());
        EXPECT_EQ(secret.data.size(), size_t(Item(0).uncompressedSize));
        EXPECT_EQ(ZipPassword, ZipReader::ReadItem(handle_, 0, buffer, sizeof buffer));
        EXPECT_EQ("plain", ReadAll(1).data) << "unencrypted items read with or without a password";
        ASSERT_NE(nullptr, Reopen("wrong"));
        EXPECT_EQ(ZipPassword, ZipReader::ReadItem(handle_, 0, buffer, sizeof buffer));
        ASSERT_NE(nullptr, Reopen("s3cret"));
        ZipReadResult result = ReadAll(0);
        EXPECT_EQ((Statuses{ZipMore, ZipOk}), result.statuses) << method;
        EXPECT_TRUE(result.data == secret.data) << method;
    }
}

TEST_F(ZipReaderFixture, DamagedItemDataIsAnInflateErrorAndLaterItemsStillRead)
{
    ZipTestItem broken{"broken.bin", std::string(64, '\xFF')};
    broken.raw = true;  // an invalid deflate block type
    broken.rawUncompressedSize = 1000;
    ZipTestItem shortStored{"short.bin", "0123456789"};
    shortStored.method = 0;
    shortStored.raw = true;  // ten stored bytes where twenty are recorded
    shortStored.rawUncompressedSize = 20;
    ASSERT_NE(nullptr, OpenArchive({broken, shortStored, {"good.txt", PatternData(0x4100)}}));

    EXPECT_EQ(Statuses{ZipInflateError}, ReadAll(0).statuses);
    EXPECT_EQ(Statuses{ZipInflateError}, ReadAll(1, 64).statuses) << "a short item never claims a full buffer";
    ZipReadResult good = ReadAll(2);
    EXPECT_EQ((Statuses{ZipMore, ZipOk}), good.statuses);
    EXPECT_TRUE(good.data == PatternData(0x4100));
}

TEST_F(ZipReaderFixture, CorruptHeadersGiveTheirStatus)
{
    std::vector<ZipTestItem> items = {{"a.txt", "alpha"}, {"b.txt", "bravo"}, {"c.txt", "charlie"}};
    ASSERT_TRUE(ZipTestArchive::Write(ArchivePath(), items));
    const std::string good = ZipTestArchive::Load(ArchivePath());
    ZipItemInfo info;

    std::string bytes = good;
    bytes[0] = 'X';  // first local header signature
    ASSERT_NE(nullptr, SaveArchive(bytes));
    EXPECT_EQ(ZipBadHeader, ZipReader::GetItem(handle_, 0, info));
    EXPECT_STREQ("b.txt", Item(1).name);

    bytes = good;
    size_t thirdLocal = good.find("c.txt") - 30;
    ZipTestArchive::Put16(bytes, thirdLocal + 28, 0xFFFF);
    ASSERT_NE(nullptr, SaveArchive(bytes));
    EXPECT_EQ(ZipReadFailed, ZipReader::GetItem(handle_, 2, info)) << "local extra data past the file's end";

    bytes = good;
    size_t end = ZipTestArchive::EndOfCentralDirectory(bytes);
    ZipTestArchive::Put16(bytes, end + 8, 5);
    ZipTestArchive::Put16(bytes, end + 10, 5);
    ASSERT_NE(nullptr, SaveArchive(bytes));
    EXPECT_EQ(5, Item(-1).index);
    EXPECT_STREQ("c.txt", Item(2).name);
    EXPECT_EQ(ZipBadHeader, ZipReader::GetItem(handle_, 4, info));
    EXPECT_EQ(ZipBadHeader, ZipReader::GetItem(handle_, 3, info));
    EXPECT_STREQ("a.txt", Item(0).name) << "earlier items stay reachable";
    EXPECT_EQ("alpha", ReadAll(0).data);
    char buffer[8];
    EXPECT_EQ(ZipInflateError, ZipReader::ReadItem(handle_, 3, buffer, sizeof buffer));
}

TEST_F(ZipReaderFixture, UnsupportedMethodIsNotHandedOutAsData)
{
    ZipTestItem item{"b.bz2", "not really bzip2"};
    item.method = 0;
    ASSERT_TRUE(ZipTestArchive::Write(ArchivePath(), {item}));
    std::string bytes = ZipTestArchive::Load(ArchivePath());
    ZipTestArchive::Put16(bytes, 8, 12);  // local header method: bzip2
    ZipTestArchive::Put16(bytes, ZipTestArchive::CentralDirectory(bytes) + 10, 12);
    ASSERT_NE(nullptr, SaveArchive(bytes));
    EXPECT_EQ(16, Item(0).uncompressedSize);
    char buffer[64];
    EXPECT_EQ(ZipInflateError, ZipReader::ReadItem(handle_, 0, buffer, sizeof buffer));
}

} // namespace
