#include "container/PayloadContainer.h"
#include "container/TestFiles.h"
#include "support/ScratchDir.h"
#include "tools/ContainerWriter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

using testfiles::Bytes;

namespace {

const std::vector<uint8_t> Stub = Bytes("MZ this stands for the executable image....");

struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

class ReadIndexTest : public ::testing::Test {
protected:
    // Writes stub + what the writer holds and reads the index back.
    bool ReadBack(const ContainerWriter& writer, ContainerEntryList& list)
    {
        std::vector<uint8_t> file = Stub;
        file.insert(file.end(), writer.Bytes().begin(), writer.Bytes().end());
        testfiles::Write(path, file);
        return PayloadContainer(path).ReadIndex(list);
    }

    bool ReadBackRaw(const std::vector<uint8_t>& file, ContainerEntryList& list)
    {
        testfiles::Write(path, file);
        return PayloadContainer(path).ReadIndex(list);
    }

    testsupport::ScratchDir dir;
    std::string path = dir.file("setup.exe");
    ContainerWriter writer{Stub.size()};
};

TEST_F(ReadIndexTest, FileWithoutContainerHasNoIndex)
{
    ContainerEntryList list;
    EXPECT_FALSE(ReadBackRaw(Stub, list));
    EXPECT_FALSE(ReadBackRaw({}, list));
    EXPECT_FALSE(ReadBackRaw({0x15, 0, 0}, list));
    EXPECT_FALSE(PayloadContainer(dir.file("missing.exe")).ReadIndex(list));
    EXPECT_FALSE(PayloadContainer("").ReadIndex(list));
}

TEST_F(ReadIndexTest, RecordsReadBackwardsWithAbsoluteOffsets)
{
    writer.AppendList({{0, 10, 0x00, "R1"}, {10, 20, 0x80, "R2"}, {0xFFFFFFF0u, 7, 0x7F, "R3"}}, 1000);
    writer.AppendTrailer();
    ContainerEntryList list;
    ASSERT_TRUE(ReadBack(writer, list));
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].name, "R3");
    EXPECT_EQ(list[1].name, "R2");
    EXPECT_EQ(list[2].name, "R1");
    EXPECT_EQ(list[2].offset, 1000u);
    EXPECT_EQ(list[1].offset, 1010u);
    EXPECT_EQ(list[0].offset, uint32_t(0xFFFFFFF0u + 1000u)) << "32-bit addition wraps";
    EXPECT_EQ(list[1].size, 20u);
    EXPECT_EQ(list[1].flags, 0x80);
    EXPECT_TRUE(list[1].IsDirectory());
    EXPECT_EQ(list[0].flags, 0x7F);
    EXPECT_FALSE(list[0].IsDirectory());
}

TEST_F(ReadIndexTest, EmptyTopLevelListIsValid)
{
    writer.AppendList({}, 0);
    writer.AppendTrailer();
    ContainerEntryList list(2);
    EXPECT_TRUE(ReadBack(writer, list));
    EXPECT_TRUE(list.empty());
}

TEST_F(ReadIndexTest, SignatureEndsAtFirstNul)
{
    writer.AppendList({{0, 1, 0, "a"}}, 0);
    writer.AppendName(std::string(PayloadContainer::Signature) + std::string(2, '\0'));
    ContainerEntryList list;
    EXPECT_TRUE(ReadBack(writer, list));
    EXPECT_EQ(list.size(), 1u);
}

TEST_F(ReadIndexTest, SignatureMustMatchExactly)
{
    writer.AppendList({}, 0);
    writer.AppendName("This is a file list.");
    ContainerEntryList list;
    EXPECT_FALSE(ReadBack(writer, list));

    ContainerWriter upper(Stub.size());
    upper.AppendList({}, 0);
    upper.AppendName("THIS IS A FILE LIST .");
    EXPECT_FALSE(ReadBack(upper, list));
}

TEST_F(ReadIndexTest, NameLengthLimitIs259)
{
    writer.AppendList({{0, 1, 0, std::string(259, 'n')}}, 0);
    writer.AppendTrailer();
    ContainerEntryList list;
    ASSERT_TRUE(ReadBack(writer, list));
    EXPECT_EQ(list.at(0).name.size(), 259u);

    ContainerWriter tooLong(Stub.size());
    tooLong.AppendList({{0, 1, 0, std::string(260, 'n')}}, 0);
    tooLong.AppendTrailer();
    EXPECT_FALSE(ReadBack(tooLong, list));

    ContainerWriter longSignature(Stub.size());
    longSignature.AppendList({}, 0);
    longSignature.AppendName(PayloadContainer::Signature + std::string(239, '\0'));
    EXPECT_FALSE(ReadBack(longSignature, list));
}

TEST_F(ReadIndexTest, NameStopsAtEmbeddedNul)
{
    writer.AppendList({{0, 1, 0, std::string("ab\0cd", 5)}}, 0);
    writer.AppendTrailer();
    ContainerEntryList list;
    ASSERT_TRUE(ReadBack(writer, list));
    EXPECT_EQ(list.at(0).name, "ab");
}

TEST_F(ReadIndexTest, TruncatedListFailsKeepingWhatWasRead)
{
    // Five records announced, two stored; the third would start inside the stub's bytes
    // and the count runs the reading position towards the start of the file.
    writer.AppendRecord({0, 1, 0, "one"});
    writer.AppendRecord({1, 1, 0, "two"});
    writer.AppendU32(0);
    writer.AppendU32(0xFFFFFFFFu);
    writer.AppendTrailer();
    ContainerEntryList list;
    EXPECT_FALSE(ReadBack(writer, list));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].name, "two");
    EXPECT_EQ(list[1].name, "one");
}

TEST_F(ReadIndexTest, SeekBeforeStartOfFileFails)
{
    // The name length (5) reaches two bytes before the start of a file that holds only
    // three bytes before it; a stream clamping at 0 would read "XYZ" plus the length.
    std::vector<uint8_t> file = Bytes("XYZ");
    file.insert(file.end(), {5, 0, 0, 0});
    ContainerEntryList list;
    EXPECT_FALSE(ReadBackRaw(file, list));

    // A valid trailer whose list claims its count and base lie before the file's start.
    std::vector<uint8_t> shortList = {1, 0, 0, 0};
    ContainerWriter trailer;
    trailer.AppendTrailer();
    shortList.insert(shortList.end(), trailer.Bytes().begin(), trailer.Bytes().end());
    EXPECT_FALSE(ReadBackRaw(shortList, list));
}

TEST(PayloadContainerSteps, EachStepLeavesPositionAtItsFirstByte)
{
    testsupport::ScratchDir dir;
    ContainerWriter writer;
    writer.AppendBytes(Bytes("pad"));
    writer.AppendRecord({7, 9, 0x80, "dir"});   // 3 .. 19
    writer.AppendU32(0x1234);                    // base, 19 .. 23
    writer.AppendU32(1);                         // count, 23 .. 27
    writer.AppendName("sig");                    // 27 .. 34
    testfiles::Write(dir.path() / "c.bin", writer.Bytes());

    std::unique_ptr<std::FILE, Closer> f(std::fopen(dir.file("c.bin").c_str(), "rb"));
    ASSERT_TRUE(f);
    std::fseek(f.get(), 0, SEEK_END);
    std::string name;
    ASSERT_TRUE(PayloadContainer::ReadName(f.get(), name));
    EXPECT_EQ(name, "sig");
    EXPECT_EQ(std::ftell(f.get()), 27);

    ContainerEntryList list;
    uint32_t base = 0;
    ASSERT_TRUE(PayloadContainer::ReadList(f.get(), list, base));
    EXPECT_EQ(std::ftell(f.get()), 3);
    EXPECT_EQ(base, 0x1234u);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].offset, 7u) << "ReadList leaves offsets relative";
    EXPECT_EQ(list[0].size, 9u);

    std::fseek(f.get(), 19, SEEK_SET);
    ContainerEntry entry;
    ASSERT_TRUE(PayloadContainer::ReadRecord(f.get(), entry));
    EXPECT_EQ(std::ftell(f.get()), 3);
    EXPECT_EQ(entry.name, "dir");

    // From position 3 a record would start before the file.
    EXPECT_FALSE(PayloadContainer::ReadRecord(f.get(), entry));
    std::fseek(f.get(), 2, SEEK_SET);
    EXPECT_FALSE(PayloadContainer::ReadName(f.get(), name));
}

TEST(PayloadContainerNames, PlainNamesAndJoins)
{
    for (const char* good : {"a", "Orva.in", "top_log.bmp", "a..b", "..a", "a b", "x."})
        EXPECT_TRUE(PayloadContainer::IsPlainName(good)) << good;
    for (const char* bad : {"", ".", "..", "...", ". .", ".. ", " ", "a\\b", "..\\x", "a/b", "c:", "c:x", "/x"})
        EXPECT_FALSE(PayloadContainer::IsPlainName(bad)) << bad;
    EXPECT_EQ(PayloadContainer::JoinPath("C:\\work\\", "install"), "C:\\work\\install");
    EXPECT_EQ(PayloadContainer::JoinPath("C:\\work", "install"), "C:\\work\\install");
}

} // namespace
