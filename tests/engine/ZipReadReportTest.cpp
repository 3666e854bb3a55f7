// The ZIP reader's read report: bytes delivered by each call, also on errors, the full
// 64-bit size and the checksum of an item that ended.
#include <gtest/gtest.h>

#include "TestZip.h"
#include "engine/zip/ZipReader.h"
#include "support/ScratchDir.h"

namespace {

class ZipReadReportTest : public ::testing::Test {
protected:
    ~ZipReadReportTest() override
    {
        if (zip)
            ZipReader::Close(zip);
    }

    void Open(const std::vector<TestZipItem>& items)
    {
        std::string bytes = TestZip::Build(items, scratch.file("build.zip"));
        ASSERT_FALSE(bytes.empty());
        ASSERT_TRUE(TestZip::Save(scratch.file("a.zip"), bytes));
        zip = ZipReader::OpenFile(scratch.file("a.zip").c_str(), nullptr);
        ASSERT_TRUE(zip != nullptr);
    }

    // Reads item index to its end: the delivered counts, the statuses, the bytes.
    std::vector<uint32_t> ReadAll(int32_t index, std::string& data, ZipStatus& last, bool& checksumFailed)
    {
        std::vector<uint32_t> counts;
        char buffer[0x4000];
        checksumFailed = false;
        do {
            ZipReadReport report;
            last = ZipReader::ReadItem(zip, index, buffer, sizeof buffer, &report);
            counts.push_back(report.delivered);
            data.append(buffer, report.delivered);
            checksumFailed = checksumFailed || report.checksumFailed;
        } while (last == ZipMore);
        return counts;
    }

    testsupport::ScratchDir scratch;
    ZipHandle zip = nullptr;
};

} // namespace

TEST_F(ZipReadReportTest, DeliveredCountsAtChunkBoundaries)
{
    std::string full = TestZip::Bytes(0x4000, 1), more = TestZip::Bytes(0x4001, 2);
    Open({TestZipItem::File("empty", ""), TestZipItem::File("full", full), TestZipItem::File("more", more)});
    std::string data;
    ZipStatus last;
    bool crc;
    EXPECT_EQ(std::vector<uint32_t>({0}), ReadAll(0, data, last, crc));
    EXPECT_EQ(ZipOk, last);
    EXPECT_EQ(std::vector<uint32_t>({0x4000}), ReadAll(1, data, last, crc));
    EXPECT_EQ(std::vector<uint32_t>({0x4000, 1}), ReadAll(2, data, last, crc));
    EXPECT_EQ(ZipOk, last);
    EXPECT_FALSE(crc);
    EXPECT_EQ(full + more, data);
}

TEST_F(ZipReadReportTest, FullSizeIsReported)
{
    Open({TestZipItem::File("a", std::string(70000, 'a'))});
    ZipItemInfo info;
    ASSERT_EQ(ZipOk, ZipReader::GetItem(zip, 0, info));
    EXPECT_EQ(70000u, info.uncompressedSize64);
    EXPECT_EQ(70000, info.uncompressedSize);
    EXPECT_NE(ZipOk, ZipReader::GetItem(zip, 5, info));
    EXPECT_EQ(0u, info.uncompressedSize64);
}

TEST_F(ZipReadReportTest, ChecksumMismatchIsReportedOnlyWithAReport)
{
    TestZipItem item = TestZipItem::File("bad", std::string(5000, 'b'));
    item.wrongCrc = true;
    Open({item, TestZipItem::File("good", "fine")});
    std::string data;
    ZipStatus last;
    bool crc = false;
    ReadAll(0, data, last, crc);
    EXPECT_EQ(ZipOk, last);
    EXPECT_TRUE(crc);
    EXPECT_EQ(std::string(5000, 'b'), data);
    ReadAll(1, data, last, crc);
    EXPECT_FALSE(crc);
    char buffer[0x4000];
    EXPECT_EQ(ZipOk, ZipReader::ReadItem(zip, 0, buffer, sizeof buffer));
}

TEST_F(ZipReadReportTest, AFailedReadReportsWhatItDelivered)
{
    std::string stored = TestZip::Bytes(20000, 3);
    TestZipItem shortItem = TestZipItem::File("short", stored);
    shortItem.recordedSize = 40000;
    TestZipItem broken = TestZipItem::File("broken", std::string(100000, 'x'));
    broken.brokenData = true;
    Open({shortItem, broken});
    std::string data;
    ZipStatus last;
    bool crc;
    EXPECT_EQ(std::vector<uint32_t>({0x4000, 20000 - 0x4000}), ReadAll(0, data, last, crc));
    EXPECT_EQ(ZipInflateError, last);
    EXPECT_EQ(stored, data);
    data.clear();
    EXPECT_EQ(std::vector<uint32_t>({0}), ReadAll(1, data, last, crc));
    EXPECT_EQ(ZipInflateError, last);
}
