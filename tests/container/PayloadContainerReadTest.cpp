#include "container/PayloadContainer.h"
#include "container/TestFiles.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

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
    bool ReadBack(const ContainerWriter& writer, ContainerEntryList& list)
    {
        testfiles::WriteSetup(path, Stub, writer);
        return PayloadContainer(path).ReadIndex(list);
    }

    testsupport::ScratchDir dir;
    std::string path = dir.file("setup.exe");
};

TEST_F(ReadIndexTest, RecordsReadBackwardsWithAbsoluteOffsets)
{
    ContainerWriter writer(Stub.size());
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
    EXPECT_TRUE(list[1].IsDirectory()) << "the directory bit, whatever else is set";
    EXPECT_FALSE(list[0].IsDirectory());
}

// The signature must match exactly up to its first NUL, names hold at most 259 bytes and
// end at an embedded NUL, an empty top-level list is valid.
TEST_F(ReadIndexTest, SignatureAndNameVariants)
{
    ContainerEntryList list;
    EXPECT_FALSE(ReadBackRaw(Stub, list));
    EXPECT_FALSE(ReadBackRaw({}, list));
    EXPECT_FALSE(PayloadContainer(dir.file("missing.exe")).ReadIndex(list));

    const std::string sig = PayloadContainer::Signature;
    const struct {
        std::vector<ContainerRecord> records;
        std::string trailer;
        bool ok;
        std::string firstName;
    } cases[] = {
        {{}, sig, true, ""},
        {{{0, 1, 0, "a"}}, sig + std::string(2, '\0'), true, "a"},
        {{}, "THIS IS A FILE LIST .", false, ""},
        {{}, sig + std::string(239, '\0'), false, ""},
        {{{0, 1, 0, std::string(259, 'n')}}, sig, true, std::string(259, 'n')},
        {{{0, 1, 0, std::string(260, 'n')}}, sig, false, ""},
        {{{0, 1, 0, std::string("ab\0cd", 5)}}, sig, true, "ab"},
    };
    for (const auto& c : cases) {
        ContainerWriter w(Stub.size());
        w.AppendList(c.records, 0);
        w.AppendName(c.trailer);
        EXPECT_EQ(ReadBack(w, list), c.ok) << c.trailer.size() << " " << c.firstName;
        if (c.ok)
            EXPECT_EQ(list.empty() ? "" : list[0].name, c.firstName);
    }
}

// Every backward step checks the position first: a stream clamped at 0 would read the
// file's first bytes as the missing ones.
TEST_F(ReadIndexTest, StepsBeforeTheStartOfTheFileFail)
{
    ContainerEntryList list;
    // The name length (5) reaches two bytes before the start of the file.
    EXPECT_FALSE(ReadBackRaw({'X', 'Y', 'Z', 5, 0, 0, 0}, list));
    // A valid trailer whose list claims its count and base lie before the file's start.
    ContainerWriter trailer;
    trailer.AppendU32(1);
    trailer.AppendTrailer();
    EXPECT_FALSE(ReadBackRaw(trailer.Bytes(), list));

    // Five records announced, two stored: the third would start inside the stub's bytes.
    ContainerWriter writer(Stub.size());
    writer.AppendRecord({0, 1, 0, "one"});
    writer.AppendRecord({1, 1, 0, "two"});
    writer.AppendU32(0);
    writer.AppendU32(0xFFFFFFFFu);
    writer.AppendTrailer();
    EXPECT_FALSE(ReadBack(writer, list));
    ASSERT_EQ(list.size(), 2u) << "what was read stays";
    EXPECT_EQ(list[0].name + list[1].name, "twoone");
}

// A signed file ends with its certificate table, placed at a multiple of 8 after zero
// padding; only a table that the security entry names and that ends at the end of the
// file moves the container's end.
TEST_F(ReadIndexTest, SignedFilesEndBeforeTheirCertificateTable)
{
    const struct {
        const char* what;
        unsigned padding;
        uint8_t paddingByte;
        int32_t sizeError;   // added to the table size the security entry gives
        uint16_t magic;
        bool isSigned;
        bool ok;
    } cases[] = {
        {"no padding", 0, 0, 0, 0x20B, true, true},
        {"three bytes of padding", 3, 0, 0, 0x20B, true, true},
        {"seven bytes of padding", 7, 0, 0, 0x20B, true, true},
        {"a 32-bit image", 5, 0, 0, 0x10B, true, true},
        {"eight bytes of padding", 8, 0, 0, 0x20B, true, false},
        {"padding that is not zero", 3, 0xCC, 0, 0x20B, true, false},
        {"a table ending before the file's end", 0, 0, -1, 0x20B, false, false},
        {"a table past the file's end", 0, 0, 1, 0x20B, false, false},
        {"no optional header it knows", 0, 0, 0, 0x30B, false, false},
    };
    const std::vector<uint8_t> table = testfiles::RandomBytes(1200, 3);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> file = testfiles::PeStub(0, 0, c.magic);
        ContainerWriter writer(file.size());
        writer.AppendList({{0, 1, 0, "one"}, {1, 2, 0, "two"}}, 7);
        writer.AppendTrailer();
        file.insert(file.end(), writer.Bytes().begin(), writer.Bytes().end());
        file.resize(file.size() + c.padding, c.paddingByte);
        uint32_t start = uint32_t(file.size());
        std::vector<uint8_t> header = testfiles::PeStub(start, uint32_t(table.size() + c.sizeError), c.magic);
        std::copy(header.begin(), header.end(), file.begin());
        file.insert(file.end(), table.begin(), table.end());

        testfiles::Write(path, file);
        PayloadContainer reader(path);
        ContainerEntryList list;
        EXPECT_EQ(reader.ReadIndex(list), c.ok);
        EXPECT_EQ(reader.IsSigned(), c.isSigned);
        if (c.ok) {
            EXPECT_EQ(list.size() == 2 ? list[0].name + list[1].name : "", "twoone");
        }
    }

    // Unsigned, the same image reads as before, and a file without a PE header as well.
    for (const std::vector<uint8_t>& stub : {testfiles::PeStub(0, 0), Stub}) {
        ContainerWriter writer(stub.size());
        writer.AppendList({{0, 1, 0, "one"}}, 0);
        writer.AppendTrailer();
        testfiles::WriteSetup(path, stub, writer);
        PayloadContainer reader(path);
        ContainerEntryList list;
        EXPECT_TRUE(reader.ReadIndex(list));
        EXPECT_FALSE(reader.IsSigned());
    }
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
    // From position 3 a record would start before the file.
    ContainerEntry entry;
    EXPECT_FALSE(PayloadContainer::ReadRecord(f.get(), entry));
}

TEST(PayloadContainerNames, OnlyOnePlainComponentIsAName)
{
    for (const char* good : {"a", "Orva.in", "a..b", "..a", "a b", "x."})
        EXPECT_TRUE(PayloadContainer::IsPlainName(good)) << good;
    // "\x95\x5C" is one GBK character whose trail byte is a backslash: refused, never misread.
    for (const char* bad : {"", ".", "..", ". .", ".. ", " ", "a\\b", "a/b", "c:", "/x", "\x95\x5C"})
        EXPECT_FALSE(PayloadContainer::IsPlainName(bad)) << bad;
}

} // namespace
