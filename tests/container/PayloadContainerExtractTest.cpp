#include "container/PayloadContainer.h"
#include "container/TestFiles.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace fs = std::filesystem;
using testfiles::Bytes;
using testfiles::RandomBytes;
using Tree = std::vector<std::string>;

namespace {

const std::vector<uint8_t> Stub = Bytes("MZ the executable image comes first, the container after it.");
const uint32_t StubSize = uint32_t(Stub.size());

ContainerNode File(const std::string& name, std::vector<uint8_t> content)
{
    return ContainerNode{name, false, std::move(content), {}};
}

ContainerNode Directory(const std::string& name, std::vector<ContainerNode> children)
{
    return ContainerNode{name, true, {}, std::move(children)};
}

// Every entry below root: folders by name, files as "name=content".
Tree Listing(const fs::path& root)
{
    Tree listing;
    if (fs::exists(root)) {
        for (const std::string& name : testfiles::Tree(root)) {
            if (fs::is_directory(root / name)) {
                listing.push_back(name);
                continue;
            }
            auto bytes = testfiles::Read(root / name);
            listing.push_back(name + "=" + std::string(bytes.begin(), bytes.end()));
        }
    }
    return listing;
}

class ExtractTest : public ::testing::Test {
protected:
    bool ReadAndExtract(const std::string& destination)
    {
        PayloadContainer reader(container);
        ContainerEntryList list;
        return reader.ReadIndex(list) && reader.ExtractAll(list, destination);
    }
    bool Extract(const std::vector<ContainerNode>& nodes, const std::string& destination)
    {
        ContainerWriter w(StubSize);
        w.AppendContainer(nodes);
        testfiles::WriteSetup(container, Stub, w);
        return ReadAndExtract(destination);
    }
    // Finishes a hand-made container with the trailer and extracts it to work.
    bool ExtractRaw(ContainerWriter& w)
    {
        w.AppendTrailer();
        testfiles::WriteSetup(container, Stub, w);
        return ReadAndExtract(work);
    }
    std::vector<uint8_t> Read(const std::string& relative) { return testfiles::Read(fs::path(work) / relative); }

    testsupport::ScratchDir dir;
    std::string container = dir.file("setup.exe");
    std::string work = dir.file("work");
};

// A working folder left by an earlier run is reused: its files are overwritten (a longer
// old file is cut), other files stay. One file of a directory can be had alone.
TEST_F(ExtractTest, ShippedLayoutLandsInTheInstallFolder)
{
    fs::create_directories(fs::path(work) / "install");
    testfiles::Write(fs::path(work) / "install" / "lang.ini", RandomBytes(4000, 3));
    testfiles::Write(fs::path(work) / "install" / "keep.txt", Bytes("other"));
    auto payload = RandomBytes(3000, 1), lang = Bytes("[lang]\r\nnum=1\r\n"), banner = RandomBytes(1025, 2);
    ASSERT_TRUE(Extract({Directory("install", {File("Orva.in", payload), File("lang.ini", lang),
                                               File("top_log.bmp", banner)})},
                        work + "\\"));
    EXPECT_EQ(testfiles::Tree(work),
              (Tree{"install", "install/Orva.in", "install/keep.txt", "install/lang.ini", "install/top_log.bmp"}));
    EXPECT_EQ(Read("install/Orva.in"), payload);
    EXPECT_EQ(Read("install/lang.ini"), lang);
    EXPECT_EQ(Read("install/top_log.bmp"), banner);

    // One named file of a directory alone, as a refused second instance reads its title.
    std::string single = dir.file("single");
    fs::create_directories(single);
    PayloadContainer reader(container);
    EXPECT_TRUE(reader.ExtractEntry("INSTALL", "Lang.ini", single));
    EXPECT_EQ(Listing(single), (Tree{"lang.ini=" + std::string(lang.begin(), lang.end())}));
    EXPECT_FALSE(reader.ExtractEntry("install", "missing.ini", single));
    EXPECT_FALSE(reader.ExtractEntry("Orva.in", "lang.ini", single)) << "a file is no directory";
    EXPECT_FALSE(PayloadContainer(dir.file("none.exe")).ExtractEntry("install", "lang.ini", single));
}

TEST_F(ExtractTest, SizesAroundTheCopyChunkAndNestedDirectories)
{
    std::vector<ContainerNode> files;
    for (size_t size : {0u, 1023u, 1024u, 1025u, 5000u})
        files.push_back(File("f" + std::to_string(size), RandomBytes(size, unsigned(size))));
    ASSERT_TRUE(Extract(files, work));
    for (const ContainerNode& f : files)
        EXPECT_EQ(Read(f.name), f.content) << f.name;

    fs::remove_all(work);
    ASSERT_TRUE(Extract({Directory("a", {Directory("b", {File("deep.txt", Bytes("deep"))}), Directory("empty", {}),
                                         File("top.txt", Bytes("top"))})},
                        work));
    EXPECT_EQ(Listing(work), (Tree{"a", "a/b", "a/b/deep.txt=deep", "a/empty", "a/top.txt=top"}));
}

// Hand-made containers: odd but valid bases, and hostile layouts that must fail without
// looping, climbing out or going on after the first failing entry.
TEST_F(ExtractTest, HandMadeContainers)
{
    struct Case {
        const char* what;
        std::function<void(ContainerWriter&)> build;
        bool ok;
        Tree tree;
    } cases[] = {
        {"nested lists use their own base",
         [](ContainerWriter& w) {
             // "deep" is addressed absolutely (base 0) from b's list, b from a's list with
             // base 7, a from the top-level list with the stub's length as base.
             uint32_t at = uint32_t(w.Position());
             w.AppendBytes(Bytes("deep"));
             w.AppendList({{at, 4, 0, "deep.txt"}}, 0);
             uint32_t bEnd = uint32_t(w.Position());
             w.AppendList({{at - 7, bEnd - at, 0x80, "b"}}, 7);
             w.AppendList({{0, uint32_t(w.Position()) - at, 0x80, "a"}}, StubSize);
         },
         true, {"a", "a/b", "a/b/deep.txt=deep"}},
        {"empty directory of eight bytes",
         [](ContainerWriter& w) {
             w.AppendList({}, 0);
             w.AppendList({{0, 8, 0x80, "empty"}}, StubSize);
         },
         true, {"empty"}},
        {"failing second entry stops the walk",
         [](ContainerWriter& w) {
             uint32_t at = uint32_t(w.Position());
             w.AppendBytes(Bytes("abc"));
             // Stored last-to-first: index 0 "first", index 1 the refused name, index 2 "third".
             w.AppendList({{at, 1, 0, "third"}, {at, 1, 0, "bad:name"}, {at, 3, 0, "first"}}, 0);
         },
         false, {"first=abc"}},
        {"nested list before start of file",
         // The directory's region ends 4 bytes into the file: its count is the first four
         // bytes and its base would lie before the file's start.
         [](ContainerWriter& w) { w.AppendList({{0, 4, 0x80, "dir"}}, 0); }, false, {"dir"}},
        {"size beyond everything the container holds creates nothing",
         [](ContainerWriter& w) { w.AppendList({{0, 0xFFFFFFFFu, 0, "huge"}}, StubSize); }, false, {}},
        {"region beyond the end of file",
         [](ContainerWriter& w) { w.AppendList({{0x10000000u, 5, 0, "beyond"}}, 0); }, false, {"beyond="}},
        {"positions are signed 32-bit",
         [](ContainerWriter& w) { w.AppendList({{0x80000000u, 0, 0, "past2GiB"}}, 0); }, false, {"past2GiB="}},
    };
    for (const Case& c : cases) {
        fs::remove_all(work);
        ContainerWriter w(StubSize);
        c.build(w);
        EXPECT_EQ(ExtractRaw(w), c.ok) << c.what;
        EXPECT_EQ(Listing(work), c.tree) << c.what;
    }

    ContainerWriter loop = testfiles::LoopContainer(StubSize);
    testfiles::WriteSetup(container, Stub, loop);
    EXPECT_FALSE(ReadAndExtract(work));
    EXPECT_TRUE(fs::is_directory(fs::path(work) / "loop" / "loop"));
}

TEST_F(ExtractTest, RegionPastEndOfFileFailsKeepingWhatWasThere)
{
    ContainerWriter w(StubSize);
    uint32_t at = uint32_t(w.Position());
    w.AppendBytes(Bytes("0123456789"));
    // The region starts inside the file and would end 100 bytes past its end.
    w.AppendList({{at, StubSize + 10, 0, "long"}}, 0);
    EXPECT_FALSE(ExtractRaw(w));
    auto partial = Read("long");
    ASSERT_GE(partial.size(), 10u);
    EXPECT_EQ(std::vector<uint8_t>(partial.begin(), partial.begin() + 10), Bytes("0123456789"));
}

// An empty destination would otherwise resolve against the current directory.
TEST_F(ExtractTest, EmptyDestinationWritesNothing)
{
    fs::path before = fs::current_path();
    fs::create_directory(work);
    fs::current_path(work);
    bool extracted = Extract({File("loose.txt", Bytes("x")), Directory("install", {File("a", Bytes("a"))})}, "");
    fs::current_path(before);
    EXPECT_FALSE(extracted);
    EXPECT_TRUE(testfiles::Tree(work).empty());
}

TEST_F(ExtractTest, NamesThatAreNotOnePlainComponentAreRefused)
{
    for (const char* name : {"", "..", ".. ", "..\\escaped", "../escaped", "C:x"}) {
        for (bool directory : {false, true}) {
            fs::remove_all(work);
            EXPECT_FALSE(Extract({directory ? Directory(name, {File("escaped", Bytes("x"))})
                                            : File(name, Bytes("escaped"))},
                                 work))
                << name;
            EXPECT_EQ(testfiles::Tree(dir.path()), (Tree{"setup.exe", "work"})) << name;
        }
    }
    // A refused name deeper down fails the same way.
    fs::remove_all(work);
    EXPECT_FALSE(Extract({Directory("install", {Directory("..", {File("escaped", Bytes("x"))})})}, work));
    EXPECT_EQ(testfiles::Tree(dir.path()), (Tree{"setup.exe", "work", "work/install"}));
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
    ContainerWriter w(StubSize);
    w.AppendContainer({File("full", RandomBytes(100, 4))});
    testfiles::WriteSetup(container, Stub, w);
    PayloadContainer reader(container);
    ContainerEntryList list;
    ASSERT_TRUE(reader.ReadIndex(list));
    EXPECT_FALSE(reader.ExtractFile(list.at(0), "/dev", testfiles::OpenRead(container).get()));
}

} // namespace
