#include "container/PayloadContainer.h"
#include "container/TestFiles.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <functional>

using testfiles::Bytes;

namespace {

const std::vector<uint8_t> Stub = Bytes("MZ this stands for the executable image....");

class ReadIndexTest : public ::testing::Test {
protected:
    bool ReadBackRaw(const std::vector<uint8_t>& file, ContainerEntryList& list)
    {
        testfiles::Write(path, file);
        return PayloadContainer(path).ReadIndex(list);
    }
    // Writes stub + what the writer holds and reads the index back.
    bool ReadBack(const ContainerWriter& writer, ContainerEntryList& list)
    {
        testfiles::WriteSetup(path, Stub, writer);
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
    writer.AppendList({{0, 10, 0x00, "R1"}, {10, 20, 0x81, "R2"}, {0xFFFFFFF0u, 7, 0x7F, "R3"}}, 1000);
    writer.AppendTrailer();
    ContainerEntryList list;
    ASSERT_TRUE(ReadBack(writer, list));
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].name + list[1].name + list[2].name, "R3R2R1");
    EXPECT_EQ(list[2].offset, 1000u);
    EXPECT_EQ(list[1].offset, 1010u);
    EXPECT_EQ(list[0].offset, uint32_t(0xFFFFFFF0u + 1000u)) << "32-bit addition wraps";
    EXPECT_EQ(list[1].size, 20u);
    EXPECT_EQ(list[1].flags, 0x81);
    EXPECT_TRUE(list[1].IsDirectory()) << "the directory bit, whatever else is set";
    EXPECT_EQ(list[0].flags, 0x7F);
    EXPECT_FALSE(list[0].IsDirectory());
}

// Trailer and name variants: the signature must match exactly up to its first NUL, names
// hold at most 259 bytes and end at an embedded NUL, an empty top-level list is valid.
TEST_F(ReadIndexTest, SignatureAndNameVariants)
{
    const std::string sig = PayloadContainer::Signature;
    struct Case {
        const char* what;
        std::vector<ContainerRecord> records;
        std::string trailer;
        bool ok;
        std::string firstName;
    } cases[] = {
        {"empty list", {}, sig, true, ""},
        {"signature ends at first NUL", {{0, 1, 0, "a"}}, sig + std::string(2, '\0'), true, "a"},
        {"other text", {}, "This is a file list.", false, ""},
        {"upper case", {}, "THIS IS A FILE LIST .", false, ""},
        {"signature name too long", {}, sig + std::string(239, '\0'), false, ""},
        {"name of 259", {{0, 1, 0, std::string(259, 'n')}}, sig, true, std::string(259, 'n')},
        {"name of 260", {{0, 1, 0, std::string(260, 'n')}}, sig, false, ""},
        {"embedded NUL", {{0, 1, 0, std::string("ab\0cd", 5)}}, sig, true, "ab"},
    };
    for (const Case& c : cases) {
        ContainerWriter w(Stub.size());
        w.AppendList(c.records, 0);
        w.AppendName(c.trailer);
        ContainerEntryList list(2);
        EXPECT_EQ(ReadBack(w, list), c.ok) << c.what;
        if (c.ok) {
            ASSERT_EQ(list.size(), c.records.size()) << c.what;
            EXPECT_EQ(list.empty() ? "" : list[0].name, c.firstName) << c.what;
        }
    }
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
    EXPECT_EQ(list[0].name + list[1].name, "twoone");
}

TEST_F(ReadIndexTest, SeekBeforeStartOfFileFails)
{
    // The name length (5) reaches two bytes before the start of a file that holds only
    // three bytes before it; a stream clamping at 0 would read "XYZ" plus the length.
    ContainerEntryList list;
    EXPECT_FALSE(ReadBackRaw({'X', 'Y', 'Z', 5, 0, 0, 0}, list));
    // A valid trailer whose list claims its count and base lie before the file's start.
    ContainerWriter trailer;
    trailer.AppendU32(1);
    trailer.AppendTrailer();
    EXPECT_FALSE(ReadBackRaw(trailer.Bytes(), list));
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

    testfiles::FilePtr f = testfiles::OpenRead(dir.path() / "c.bin");
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
