#include "container/PayloadContainer.h"
#include "container/ScopedFile.h"
#include "container/TestFiles.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <functional>

namespace fs = std::filesystem;
using testfiles::Bytes;
using Tree = std::vector<std::string>;

namespace {

const std::vector<uint8_t> Stub = Bytes("MZ the executable image comes first, the container after it.");
const uint32_t StubSize = uint32_t(Stub.size());

ContainerNode File(const std::string& name, const std::string& content)
{
    return ContainerNode{name, false, Bytes(content), {}};
}

ContainerNode Directory(const std::string& name, std::vector<ContainerNode> children)
{
    return ContainerNode{name, true, {}, std::move(children)};
}

// Every entry below root: folders by name, files as "name=content".
Tree Listing(const fs::path& root)
{
    Tree listing;
    for (const std::string& name : fs::exists(root) ? testfiles::Tree(root) : Tree{}) {
        bool folder = fs::is_directory(root / name);
        std::vector<uint8_t> bytes = folder ? std::vector<uint8_t>() : testfiles::Read(root / name);
        listing.push_back(folder ? name : name + "=" + std::string(bytes.begin(), bytes.end()));
    }
    return listing;
}

class ContainerTest : public ::testing::Test {
protected:
    bool ReadBack(const ContainerWriter& writer, ContainerEntryList& list, std::vector<uint8_t> stub = Stub)
    {
        testfiles::WriteSetup(setup, stub, writer);
        return reader.ReadIndex(list);
    }
    bool Extract(const ContainerWriter& writer, const std::string& destination)
    {
        ContainerEntryList list;
        return ReadBack(writer, list) && reader.ExtractAll(list, destination);
    }
    bool Extract(const std::vector<ContainerNode>& nodes, const std::string& destination)
    {
        ContainerWriter writer(StubSize);
        writer.AppendContainer(nodes);
        return Extract(writer, destination);
    }

    testsupport::ScratchDir dir;
    std::string setup = dir.file("setup.exe");
    std::string work = dir.file("work");
    PayloadContainer reader{setup};
};

// The signature must match exactly up to its first NUL; names hold at most 259 bytes and end
// at an embedded NUL; an empty top-level list is valid. Every backward step checks the
// position first: a stream clamped at 0 would read the file's first bytes as the missing ones.
TEST_F(ContainerTest, ReadIndexChecksTheTrailerTheNamesAndEveryStep)
{
    const std::string sig = PayloadContainer::Signature;
    // Records in file order, then base 0 and the count (-1: the records' own), then the trailer.
    auto listed = [](std::vector<ContainerRecord> records, std::string trailer, int count = -1) {
        return [=](ContainerWriter& w) {
            for (const ContainerRecord& record : records)
                w.AppendRecord(record);
            w.AppendU32(0);
            w.AppendU32(count < 0 ? uint32_t(records.size()) : uint32_t(count));
            w.AppendName(trailer);
        };
    };
    const struct {
        const char* what;
        std::vector<uint8_t> stub;
        std::function<void(ContainerWriter&)> build;
        bool ok;
        std::string names;  // from index 0, also of a list that failed halfway
    } cases[] = {
        {"the stub alone", Stub, {}, false, ""},
        {"an empty top-level list", Stub, listed({}, sig), true, ""},
        {"a signature ending at a NUL", Stub, listed({{0, 1, 0, "a"}}, sig + '\0' + '\0'), true, "a"},
        {"a name of 260 bytes", Stub, listed({{0, 1, 0, std::string(260, 'n')}}, sig), false, ""},
        {"a name ending at a NUL", Stub, listed({{0, 1, 0, std::string("ab\0cd", 5)}}, sig), true, "ab"},
        {"a name length reaching before the file's start", {'X', 'Y', 'Z', 5, 0, 0, 0}, {}, false, ""},
        {"a list's count and base before the file's start", {1, 0, 0, 0},
         [](ContainerWriter& w) { w.AppendTrailer(); }, false, ""},
        {"five records announced, two stored: the third would start in the stub", Stub,
         listed({{0, 1, 0, "one"}, {1, 1, 0, "two"}}, sig, 5), false, "twoone"},
    };
    for (const auto& c : cases) {
        ContainerWriter writer(c.stub.size());
        if (c.build)
            c.build(writer);
        ContainerEntryList list;
        EXPECT_EQ(ReadBack(writer, list, c.stub), c.ok) << c.what;
        std::string names;
        for (const ContainerEntry& entry : list)
            names += entry.name;
        EXPECT_EQ(names, c.names) << c.what;
    }
    ContainerEntryList list;
    EXPECT_FALSE(PayloadContainer(dir.file("missing.exe")).ReadIndex(list));
}

// A signed file ends with its certificate table, placed at a multiple of 8 after zero
// padding; only a table that the security entry names and that ends at the end of the
// file moves the container's end. Unsigned files read as before.
TEST_F(ContainerTest, SignedFilesEndBeforeTheirCertificateTable)
{
    const struct {
        const char* what;
        unsigned padding;
        uint8_t paddingByte;
        uint32_t tableSize;
        int32_t sizeError;  // added to the table size the security entry gives
        uint16_t magic;
        bool isSigned, ok;
    } cases[] = {
        {"seven bytes of padding", 7, 0, 1200, 0, 0x20B, true, true},
        {"a 32-bit image", 5, 0, 1200, 0, 0x10B, true, true},
        {"eight bytes of padding", 8, 0, 1200, 0, 0x20B, true, false},
        {"padding that is not zero", 3, 0xCC, 1200, 0, 0x20B, true, false},
        {"a table ending before the file's end", 0, 0, 1200, -1, 0x20B, false, false},
        {"a table past the file's end", 0, 0, 1200, 1, 0x20B, false, false},
        {"unsigned", 0, 0, 0, 0, 0x20B, false, true},
    };
    for (const auto& c : cases) {
        ContainerWriter writer(testfiles::PeStub(0, 0).size());
        writer.AppendList({{0, 1, 0, "one"}, {1, 2, 0, "two"}}, 7);
        writer.AppendTrailer();
        writer.Bytes().resize(writer.Bytes().size() + c.padding, c.paddingByte);
        uint32_t start = c.tableSize == 0 ? 0 : uint32_t(writer.Position());
        writer.AppendBytes(testfiles::RandomBytes(c.tableSize, 3));
        ContainerEntryList list;
        std::vector<uint8_t> stub = testfiles::PeStub(start, c.tableSize + c.sizeError, c.magic);
        EXPECT_EQ(ReadBack(writer, list, stub), c.ok) << c.what;
        EXPECT_EQ(reader.IsSigned(), c.isSigned) << c.what;
        EXPECT_EQ(list.size() == 2 ? list[0].name + list[1].name : "", c.ok ? "twoone" : "") << c.what;
    }
}

// A working folder left by an earlier run is reused: its files are overwritten (a longer old
// file is cut), other files stay.
TEST_F(ContainerTest, ExtractAllWritesTheTreeIntoAReusedFolder)
{
    fs::create_directories(fs::path(work) / "install");
    testfiles::Write(fs::path(work) / "install" / "lang.ini", testfiles::RandomBytes(4000, 3));
    testfiles::Write(fs::path(work) / "install" / "keep.txt", Bytes("other"));
    const std::string big(5000, 'b');  // several of the copy's 1024-byte chunks
    ASSERT_TRUE(Extract({Directory("install", {File("Orva.in", "payload"), File("lang.ini", "[lang]")}),
                         Directory("a", {File("big", big), File("zero", ""), Directory("empty", {})})},
                        work + "\\"));
    EXPECT_EQ(Listing(work), (Tree{"a", "a/big=" + big, "a/empty", "a/zero=", "install", "install/Orva.in=payload",
                                   "install/keep.txt=other", "install/lang.ini=[lang]"}));
    // What the walk made, for its caller to take back: each folder before its content, and
    // not the folder that was there already.
    const std::string a = work + "\\a\\", install = work + "\\install\\";
    EXPECT_EQ(reader.Written(), (Tree{work + "\\a", a + "empty", a + "zero", a + "big", install + "lang.ini",
                                      install + "Orva.in"}));
}

// One named file of a top-level directory alone, as a refused second instance reads its title.
TEST_F(ContainerTest, ExtractEntryWritesOneFileOfADirectory)
{
    ContainerWriter writer(StubSize);
    uint32_t at = uint32_t(writer.Position());
    writer.AppendBytes(Bytes("[lang]"));
    writer.AppendList({{at, 6, 0, "lang.ini"}}, 0);
    uint32_t size = uint32_t(writer.Position()) - at;
    // "plain" is a file whose bytes are the same region, a valid directory if it were one.
    writer.AppendList({{at, size, 0x80, "install"}, {at, size, 0, "plain"}}, 0);
    writer.AppendTrailer();
    testfiles::WriteSetup(setup, Stub, writer);
    fs::create_directories(work);
    EXPECT_FALSE(reader.ExtractEntry("install", "missing.ini", work));
    EXPECT_FALSE(reader.ExtractEntry("plain", "lang.ini", work)) << "a file is no directory";
    EXPECT_FALSE(PayloadContainer(dir.file("none.exe")).ExtractEntry("install", "lang.ini", work));
    EXPECT_EQ(Listing(work), Tree{});
    EXPECT_TRUE(reader.ExtractEntry("INSTALL", "Lang.ini", work));
    EXPECT_EQ(Listing(work), Tree{"lang.ini=[lang]"});
}

// Hostile hand-made containers fail without looping, climbing out or going on after the
// first failing entry.
TEST_F(ContainerTest, HandMadeContainers)
{
    using Build = std::function<void(ContainerWriter&)>;
    auto list = [](std::vector<ContainerRecord> records, uint32_t base) -> Build {
        return [=](ContainerWriter& w) { w.AppendList(records, base); };
    };
    auto top = [](ContainerNode node) -> Build {  // one top-level node, its list's base the stub's length
        return [=](ContainerWriter& w) { w.AppendList({w.AppendNode(node, StubSize)}, StubSize); };
    };
    const struct {
        const char* what;
        Build build;
        bool ok;
        Tree tree;
    } cases[] = {
        {"failing second entry stops the walk",  // the reader takes a list's records last to first
         top(Directory("d", {File("third", "x"), File("bad:name", "x"), File("first", "abc")})), false,
         {"d", "d/first=abc"}},
        // Names are one plain component (IsPlainName) for files and folders alike.
        {"a file climbing out, Windows", top(File("..\\escaped", "x")), false, {}},
        {"a refused name deeper down", top(Directory("d", {Directory(".. ", {File("escaped", "x")})})), false,
         {"d"}},
        {"size beyond everything the container holds creates nothing", list({{0, ~0u, 0, "huge"}}, StubSize),
         false, {}},
        {"a region running past the end of file fails, keeping the bytes there were",
         // The region starts at the trailer, 25 bytes after the record and the list's base and count.
         [](ContainerWriter& w) { w.AppendList({{uint32_t(w.Position()) + 25, 100, 0, "long"}}, 0); }, false,
         {"long=" + std::string(PayloadContainer::Signature) + std::string("\x15\0\0\0", 4)}},
        {"positions are signed 32-bit", list({{0x80000000u, 0, 0, "past2GiB"}}, 0), false, {"past2GiB="}},
    };
    for (const auto& c : cases) {
        fs::remove_all(work);
        ContainerWriter writer(StubSize);
        c.build(writer);
        writer.AppendTrailer();
        EXPECT_EQ(Extract(writer, work), c.ok) << c.what;
        EXPECT_EQ(Listing(work), c.tree) << c.what;
        EXPECT_FALSE(fs::exists(dir.path() / "escaped")) << c.what;
    }

    ContainerEntryList entries;
    EXPECT_FALSE(ReadBack(testfiles::LoopContainer(StubSize), entries) && reader.ExtractAll(entries, work));
    EXPECT_TRUE(fs::is_directory(fs::path(work) / "loop" / "loop"));
}

// Paths over 259 bytes fail.
TEST_F(ContainerTest, PathsBeyondTheLimitFail)
{
    std::string longName(PayloadContainer::PathLimit - work.size(), 'n');
    EXPECT_FALSE(Extract({File(longName, "x")}, work));
    longName.pop_back();
    EXPECT_TRUE(Extract({File(longName, "x")}, work));
}

// A full disk shows only when the file is closed.
TEST_F(ContainerTest, WriteErrorAtCloseIsAFailure)
{
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "needs a device that is always full";
    ContainerEntryList list;
    ContainerWriter writer(StubSize);
    writer.AppendContainer({{"full", false, testfiles::RandomBytes(100, 4), {}}});
    ASSERT_TRUE(ReadBack(writer, list));
    EXPECT_FALSE(reader.ExtractFile(list.at(0), "/dev", ScopedFile(std::fopen(setup.c_str(), "rb")).get()));
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
