#include "container/PayloadContainer.h"
#include "container/TestFiles.h"
#include "support/ScratchDir.h"
#include "tools/ContainerWriter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>

namespace fs = std::filesystem;
using testfiles::Bytes;
using testfiles::RandomBytes;

namespace {

const std::vector<uint8_t> Stub = Bytes("MZ the executable image comes first, the container after it.");

ContainerNode File(const std::string& name, std::vector<uint8_t> content)
{
    ContainerNode node;
    node.name = name;
    node.content = std::move(content);
    return node;
}

ContainerNode Directory(const std::string& name, std::vector<ContainerNode> children)
{
    ContainerNode node;
    node.name = name;
    node.directory = true;
    node.children = std::move(children);
    return node;
}

struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

class ExtractTest : public ::testing::Test {
protected:
    void Save(const ContainerWriter& w)
    {
        std::vector<uint8_t> file = Stub;
        file.insert(file.end(), w.Bytes().begin(), w.Bytes().end());
        testfiles::Write(container, file);
    }

    // Packs the nodes as a whole container, reads its index and extracts it to work.
    bool Extract(const std::vector<ContainerNode>& nodes, const std::string& destination)
    {
        ContainerWriter w(Stub.size());
        w.AppendContainer(nodes);
        Save(w);
        return ReadAndExtract(destination);
    }

    bool ReadAndExtract(const std::string& destination)
    {
        PayloadContainer reader(container);
        ContainerEntryList list;
        return reader.ReadIndex(list) && reader.ExtractAll(list, destination);
    }

    std::vector<std::string> ScratchTree() { return testfiles::Tree(dir.path()); }

    testsupport::ScratchDir dir;
    std::string container = dir.file("setup.exe");
    std::string work = dir.file("work");
    ContainerWriter writer{Stub.size()};
};

TEST_F(ExtractTest, ShippedLayoutLandsInInstallFolder)
{
    auto payload = RandomBytes(3000, 1), lang = Bytes("[lang]\r\nnum=1\r\n"), banner = RandomBytes(1025, 2);
    ASSERT_TRUE(Extract({Directory("install", {File("Orva.in", payload), File("lang.ini", lang),
                                               File("top_log.bmp", banner)})},
                        work + "\\"));
    EXPECT_EQ(testfiles::Tree(work),
              (std::vector<std::string>{"install", "install/Orva.in", "install/lang.ini", "install/top_log.bmp"}));
    EXPECT_EQ(testfiles::Read(fs::path(work) / "install" / "Orva.in"), payload);
    EXPECT_EQ(testfiles::Read(fs::path(work) / "install" / "lang.ini"), lang);
    EXPECT_EQ(testfiles::Read(fs::path(work) / "install" / "top_log.bmp"), banner);
}

TEST_F(ExtractTest, EarlierInstallFolderIsReusedAndOverwritten)
{
    fs::create_directories(fs::path(work) / "install");
    testfiles::Write(fs::path(work) / "install" / "lang.ini", RandomBytes(4000, 3));
    testfiles::Write(fs::path(work) / "install" / "keep.txt", Bytes("other"));
    ASSERT_TRUE(Extract({Directory("install", {File("lang.ini", Bytes("short"))})}, work));
    EXPECT_EQ(testfiles::Read(fs::path(work) / "install" / "lang.ini"), Bytes("short"));
    EXPECT_EQ(testfiles::Read(fs::path(work) / "install" / "keep.txt"), Bytes("other"));
}

TEST_F(ExtractTest, FileSizesAroundTheCopyChunk)
{
    std::vector<ContainerNode> files;
    for (size_t size : {0u, 1u, 1023u, 1024u, 1025u, 2048u, 5000u})
        files.push_back(File("f" + std::to_string(size), RandomBytes(size, unsigned(size))));
    ASSERT_TRUE(Extract(files, work));
    for (const ContainerNode& f : files)
        EXPECT_EQ(testfiles::Read(fs::path(work) / f.name), f.content) << f.name;
}

TEST_F(ExtractTest, NestedDirectoriesAndEmptyDirectory)
{
    ASSERT_TRUE(Extract({Directory("a", {Directory("b", {File("deep.txt", Bytes("deep"))}), Directory("empty", {}),
                                         File("top.txt", Bytes("top"))})},
                        work));
    EXPECT_EQ(testfiles::Tree(work),
              (std::vector<std::string>{"a", "a/b", "a/b/deep.txt", "a/empty", "a/top.txt"}));
    EXPECT_EQ(testfiles::Read(fs::path(work) / "a" / "b" / "deep.txt"), Bytes("deep"));
}

TEST_F(ExtractTest, NestedListsUseTheirOwnBase)
{
    // "deep" is addressed absolutely (base 0) from b's list, b from a's list with base 7,
    // a from the top-level list with the stub's length as base.
    uint32_t fileAt = uint32_t(writer.Position());
    writer.AppendBytes(Bytes("deep"));
    uint32_t bAt = fileAt;
    writer.AppendList({{fileAt, 4, 0, "deep.txt"}}, 0);
    uint32_t bEnd = uint32_t(writer.Position());
    writer.AppendList({{bAt - 7, bEnd - bAt, 0x80, "b"}}, 7);
    uint32_t aEnd = uint32_t(writer.Position());
    writer.AppendList({{0, aEnd - bAt, 0x80, "a"}}, uint32_t(Stub.size()));
    writer.AppendTrailer();
    Save(writer);
    ASSERT_TRUE(ReadAndExtract(work));
    EXPECT_EQ(testfiles::Read(fs::path(work) / "a" / "b" / "deep.txt"), Bytes("deep"));
}

TEST_F(ExtractTest, EmptyDirectoryOfEightBytes)
{
    writer.AppendList({}, 0);
    writer.AppendList({{0, 8, 0x80, "empty"}}, uint32_t(Stub.size()));
    writer.AppendTrailer();
    Save(writer);
    ASSERT_TRUE(ReadAndExtract(work));
    EXPECT_EQ(testfiles::Tree(work), std::vector<std::string>{"empty"});
}

TEST_F(ExtractTest, DirectCallsJoinParentWithOneBackslash)
{
    ContainerWriter w(Stub.size());
    w.AppendContainer({File("one.txt", Bytes("1")), File("two.txt", Bytes("22"))});
    Save(w);
    PayloadContainer reader(container);
    ContainerEntryList list;
    ASSERT_TRUE(reader.ReadIndex(list));
    fs::create_directory(work);
    std::unique_ptr<std::FILE, Closer> stream(std::fopen(container.c_str(), "rb"));
    ASSERT_TRUE(stream);
    EXPECT_TRUE(reader.ExtractFile(list.at(0), work + "\\", stream.get()));
    EXPECT_TRUE(reader.ExtractFile(list.at(1), work, stream.get()));
    EXPECT_EQ(testfiles::Tree(work), (std::vector<std::string>{"one.txt", "two.txt"}));
    EXPECT_EQ(testfiles::Read(fs::path(work) / "two.txt"), Bytes("22"));

    ContainerEntry asDirectory = list.at(0);
    asDirectory.flags = 0x80;
    EXPECT_FALSE(reader.ExtractFile(asDirectory, work, stream.get()));
    EXPECT_FALSE(reader.ExtractFile(list.at(0), "", stream.get()));
    EXPECT_FALSE(reader.ExtractDirectory(asDirectory, "", stream.get()));
}

TEST_F(ExtractTest, FailingSecondEntryStopsTheWalk)
{
    uint32_t at = uint32_t(writer.Position());
    writer.AppendBytes(Bytes("abc"));
    // Stored last-to-first: index 0 "first", index 1 the refused name, index 2 "third".
    writer.AppendList({{at, 1, 0, "third"}, {at, 1, 0, "bad:name"}, {at, 3, 0, "first"}}, 0);
    writer.AppendTrailer();
    Save(writer);
    EXPECT_FALSE(ReadAndExtract(work));
    EXPECT_EQ(testfiles::Tree(work), std::vector<std::string>{"first"});
}

TEST_F(ExtractTest, EmptyDestinationWritesNothing)
{
    ContainerWriter w(Stub.size());
    w.AppendContainer({File("loose.txt", Bytes("x")), Directory("install", {File("a", Bytes("a"))})});
    Save(w);
    fs::path before = fs::current_path();
    fs::create_directory(work);
    fs::current_path(work);
    bool extracted = ReadAndExtract("");
    fs::current_path(before);
    EXPECT_FALSE(extracted);
    EXPECT_TRUE(testfiles::Tree(work).empty());
}

TEST_F(ExtractTest, MissingContainerCreatesNothing)
{
    ContainerEntryList list(1);
    list[0].name = "x";
    list[0].offset = 0;
    list[0].size = 0;
    EXPECT_FALSE(PayloadContainer(dir.file("absent.exe")).ExtractAll(list, work));
    EXPECT_FALSE(PayloadContainer("").ExtractAll(list, work));
    EXPECT_FALSE(fs::exists(work));
}

TEST_F(ExtractTest, RegionPastEndOfFileFailsInsteadOfLooping)
{
    uint32_t at = uint32_t(writer.Position());
    writer.AppendBytes(Bytes("0123456789"));
    // The region starts inside the file and would end 100 bytes past its end.
    writer.AppendList({{at, uint32_t(Stub.size()) + 10, 0, "long"}}, 0);
    writer.AppendTrailer();
    Save(writer);
    EXPECT_FALSE(ReadAndExtract(work));
    // What the container did hold was copied before the stream ran dry.
    auto partial = testfiles::Read(fs::path(work) / "long");
    ASSERT_GE(partial.size(), 10u);
    EXPECT_EQ(std::vector<uint8_t>(partial.begin(), partial.begin() + 10), Bytes("0123456789"));

    ContainerWriter beyond(Stub.size());
    beyond.AppendList({{0x10000000u, 5, 0, "beyond"}}, 0);
    beyond.AppendTrailer();
    Save(beyond);
    EXPECT_FALSE(ReadAndExtract(work));
    EXPECT_EQ(fs::file_size(fs::path(work) / "beyond"), 0u);

    // A size beyond everything the container holds fails before anything is created.
    ContainerWriter huge(Stub.size());
    huge.AppendList({{0, 0xFFFFFFFFu, 0, "huge"}}, uint32_t(Stub.size()));
    huge.AppendTrailer();
    Save(huge);
    EXPECT_FALSE(ReadAndExtract(work));
    EXPECT_FALSE(fs::exists(fs::path(work) / "huge"));

    ContainerWriter pastLimit(Stub.size());
    pastLimit.AppendList({{0x80000000u, 0, 0, "past2GiB"}}, 0);
    pastLimit.AppendTrailer();
    Save(pastLimit);
    EXPECT_FALSE(ReadAndExtract(work)) << "positions are signed 32-bit";
}

TEST_F(ExtractTest, NamesThatAreNotOnePlainComponentAreRefused)
{
    for (const char* name : {"", ".", "..", ".. ", "a\\b", "..\\escaped", "a/b", "../escaped", "c:", "C:x"}) {
        for (bool directory : {false, true}) {
            ContainerWriter w(Stub.size());
            if (directory)
                w.AppendContainer({Directory(name, {File("escaped", Bytes("x"))})});
            else
                w.AppendContainer({File(name, Bytes("escaped"))});
            Save(w);
            fs::remove_all(work);
            EXPECT_FALSE(ReadAndExtract(work)) << name;
            EXPECT_EQ(ScratchTree(), (std::vector<std::string>{"setup.exe", "work"})) << name;
            EXPECT_TRUE(testfiles::Tree(work).empty()) << name;
        }
    }
    // A refused name deeper down fails the same way.
    fs::remove_all(work);
    EXPECT_FALSE(Extract({Directory("install", {Directory("..", {File("escaped", Bytes("x"))})})}, work));
    EXPECT_EQ(ScratchTree(), (std::vector<std::string>{"setup.exe", "work", "work/install"}));
}

TEST_F(ExtractTest, NestedListBeforeStartOfFileFails)
{
    // The directory's region ends 4 bytes into the file: its count is the first four
    // bytes and its base would lie before the file's start.
    writer.AppendList({{0, 4, 0x80, "dir"}}, 0);
    writer.AppendTrailer();
    Save(writer);
    EXPECT_FALSE(ReadAndExtract(work));
    EXPECT_EQ(testfiles::Tree(work), std::vector<std::string>{"dir"});
}

TEST_F(ExtractTest, DirectoryThatContainsItselfEnds)
{
    // "loop" names its own region twice in its nested list: without a bound the tree
    // would double at every level.
    uint32_t at = uint32_t(writer.Position());
    uint32_t size = 2 * (13 + 4) + 8;
    writer.AppendList({{at, size, 0x80, "loop"}, {at, size, 0x80, "loop"}}, 0);
    writer.AppendList({{at, size, 0x80, "loop"}}, 0);
    writer.AppendTrailer();
    Save(writer);
    EXPECT_FALSE(ReadAndExtract(work));
    EXPECT_TRUE(fs::is_directory(fs::path(work) / "loop" / "loop"));
}

TEST_F(ExtractTest, PathsOverTheLimitFail)
{
    std::string longName(PayloadContainer::PathLimit - work.size(), 'n');
    EXPECT_FALSE(Extract({File(longName, Bytes("x"))}, work));
    longName.pop_back();
    EXPECT_TRUE(Extract({File(longName, Bytes("x"))}, work));
}

TEST_F(ExtractTest, WriteErrorAtCloseIsAFailure)
{
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "needs a device that is always full";
    ContainerWriter w(Stub.size());
    w.AppendContainer({File("full", RandomBytes(100, 4))});
    Save(w);
    PayloadContainer reader(container);
    ContainerEntryList list;
    ASSERT_TRUE(reader.ReadIndex(list));
    std::unique_ptr<std::FILE, Closer> stream(std::fopen(container.c_str(), "rb"));
    EXPECT_FALSE(reader.ExtractFile(list.at(0), "/dev", stream.get()));
}

} // namespace
