// Payload extraction end to end: from a reversed payload in the working folder to files
// below the install directory, with the notices the frame sees.
#include <map>
#include <numeric>

#include "NoticeRecorder.h"
#include "ProfileTest.h"
#include "TestZip.h"
#include "engine/InstallEngine.h"

namespace {

class ExtractTest : public ProfileTest {
protected:
    void SetUp() override
    {
        ProfileTest::SetUp();
        engine.reset(new InstallEngine(scratch.file("none.exe")));
        engine->SetFrameWindow(recorder.Window());
        installDir = scratch.file("inst");
        engine->SetInstallDirectory(installDir);
    }
    void TearDown() override
    {
        engine.reset();
        ProfileTest::TearDown();
    }

    void Payload(const std::vector<TestZipItem>& items)
    {
        std::string bytes = TestZip::Build(items, scratch.file("build.zip"));
        ASSERT_FALSE(bytes.empty());
        PutPayload(bytes);
    }

    std::string Target(const std::string& name) const { return installDir + "\\" + name; }

    // Chunk byte counts per file name, in order.
    std::map<std::string, std::vector<int32_t>> Chunks() const
    {
        std::map<std::string, std::vector<int32_t>> chunks;
        for (const RecordedNotice& notice : recorder.Notices()) {
            if (notice.code == NoticeChunk)
                chunks[notice.name].push_back(notice.chunkBytes);
        }
        return chunks;
    }

    NoticeRecorder recorder;
    std::unique_ptr<InstallEngine> engine;
    std::string installDir;
};

} // namespace

TEST_F(ExtractTest, NoticesAndSumsFollowTheFiles)
{
    std::string a = TestZip::Bytes(0x4000, 1), b = TestZip::Bytes(0x4001, 2), c = TestZip::Bytes(50000, 3);
    Payload({TestZipItem::Folder("docs/"), TestZipItem::File("a.bin", a), TestZipItem::File("docs/b.bin", b),
             TestZipItem::File("empty.txt", ""), TestZipItem::File("docs\\c.bin", c)});
    ASSERT_TRUE(engine->ExtractPayload());
    EXPECT_EQ("total begin chunk end begin chunk end begin chunk end begin chunk end", recorder.Outline());
    EXPECT_TRUE(a == ReadFileText(Target("a.bin")));
    EXPECT_TRUE(b == ReadFileText(Target("docs\\b.bin")));
    EXPECT_EQ("", ReadFileText(Target("empty.txt")));
    EXPECT_TRUE(Exists(Target("empty.txt")));
    EXPECT_TRUE(c == ReadFileText(Target("docs\\c.bin")));

    auto chunks = Chunks();
    EXPECT_EQ(std::vector<int32_t>({0x4000}), chunks[Target("a.bin")]);
    EXPECT_EQ(std::vector<int32_t>({0x4000, 1}), chunks[Target("docs/b.bin")]);
    EXPECT_EQ(std::vector<int32_t>({0}), chunks[Target("empty.txt")]);
    int64_t all = 0;
    for (const RecordedNotice& notice : recorder.Notices()) {
        if (notice.code == NoticeFileBegin) {
            EXPECT_EQ(notice.size, std::accumulate(chunks[notice.name].begin(), chunks[notice.name].end(), int64_t(0)))
                << notice.name;
        }
        all += notice.chunkBytes;
    }
    EXPECT_EQ(recorder.Notices().front().size, all);
    EXPECT_EQ(uint64_t(a.size() + b.size() + c.size()), engine->GetTotalBytes());
    EXPECT_EQ(NoticeFileEnd, engine->GetState());
}

TEST_F(ExtractTest, AnArchiveOfFoldersOnlySendsAZeroTotal)
{
    TestZipItem unixFolder = TestZipItem::Folder("unix");
    unixFolder.versionMadeBy = TestZipItem::UnixHost;
    unixFolder.externalAttributes = 0x41ED0000u;  // drwxr-xr-x
    TestZipItem plainFolder = TestZipItem::Folder("plain/");
    plainFolder.externalAttributes = 0;
    Payload({TestZipItem::Folder("a/"), TestZipItem::Folder("a/b/"), unixFolder, plainFolder, TestZipItem::Folder("./")});
    ASSERT_TRUE(engine->ExtractPayload());
    ASSERT_EQ("total", recorder.Outline());
    EXPECT_EQ(0, recorder.Notices()[0].size);
    EXPECT_TRUE(Exists(Target("a\\b")));
    EXPECT_TRUE(Exists(Target("unix")));
    EXPECT_TRUE(Exists(Target("plain")));
}

TEST_F(ExtractTest, AMissingEmptyOrForeignPayloadFailsBeforeAnyNotice)
{
    EXPECT_FALSE(engine->ExtractPayload());
    for (const char* payload : {"", "this is no zip archive at all"}) {
        PutPayload(payload);
        EXPECT_FALSE(engine->ExtractPayload()) << payload;
    }
    EXPECT_TRUE(recorder.Notices().empty());
    EXPECT_FALSE(Exists(installDir));
}

TEST_F(ExtractTest, ACancelBetweenItemsEndsTheLoop)
{
    Payload({TestZipItem::File("one.txt", "1"), TestZipItem::File("two.txt", "2")});
    recorder.onNotice = [&](const RecordedNotice& notice) {
        if (notice.code == NoticeFileEnd)
            engine->RequestCancel();
    };
    EXPECT_TRUE(engine->ExtractPayload());
    EXPECT_EQ("total begin chunk end cancel", recorder.Outline());
    EXPECT_TRUE(Exists(Target("one.txt")));
    EXPECT_FALSE(Exists(Target("two.txt")));
}

TEST_F(ExtractTest, ACancelInsideAFileEndsItAfterTheCurrentChunk)
{
    std::string big = TestZip::Bytes(5 * 0x4000 + 7, 4);
    Payload({TestZipItem::File("big.bin", big), TestZipItem::File("next.txt", "n")});
    recorder.onNotice = [&](const RecordedNotice& notice) {
        if (notice.code == NoticeChunk && recorder.Count(NoticeChunk) == 2)
            engine->RequestCancel();
    };
    EXPECT_FALSE(engine->ExtractPayload());
    EXPECT_EQ("total begin chunk cancel", recorder.Outline());
    EXPECT_EQ(2u, recorder.Count(NoticeChunk));
    EXPECT_TRUE(big.substr(0, 2 * 0x4000) == ReadFileText(Target("big.bin")));
    EXPECT_FALSE(Exists(Target("next.txt")));
}

// (A read-only file would do as well on Windows; Wine running as root writes it anyway,
// so a folder in the file's place stands for a target that cannot be created.)
TEST_F(ExtractTest, LockedAndUncreatableTargetsFailButTheRestIsWritten)
{
    ASSERT_TRUE(::CreateDirectoryA(installDir.c_str(), nullptr));
    ASSERT_TRUE(TestZip::Save(Target("locked.txt"), "mine"));
    ASSERT_TRUE(::CreateDirectoryA(Target("blocked.txt").c_str(), nullptr));
    HANDLE lock = ::CreateFileA(Target("locked.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    std::string data = TestZip::Bytes(0x4000 + 10, 5);
    Payload({TestZipItem::File("locked.txt", data), TestZipItem::File("blocked.txt", data),
             TestZipItem::File("fine.txt", data)});
    EXPECT_FALSE(engine->ExtractPayload());
    ::CloseHandle(lock);
    // The progress still covers every file.
    EXPECT_EQ("total begin chunk end begin chunk end begin chunk end", recorder.Outline());
    EXPECT_EQ(3u * 2, recorder.Count(NoticeChunk));
    EXPECT_EQ("mine", ReadFileText(Target("locked.txt")));
    EXPECT_TRUE(data == ReadFileText(Target("fine.txt")));
}

TEST_F(ExtractTest, MissingFoldersAreCreatedAndRecorded)
{
    installDir = scratch.file("x\\y\\inst");
    engine->SetInstallDirectory(installDir);
    Payload({TestZipItem::File("deep/er/f.txt", "f"), TestZipItem::File("late/g.txt", "g"),
             TestZipItem::Folder("late/"), TestZipItem::Folder("empty/dir/")});
    ASSERT_TRUE(engine->ExtractPayload());
    EXPECT_EQ("f", ReadFileText(Target("deep\\er\\f.txt")));
    EXPECT_EQ("g", ReadFileText(Target("late\\g.txt")));
    EXPECT_TRUE(Exists(Target("empty\\dir")));
    std::vector<std::string> created = engine->GetCreatedEntries();
    for (const char* path : {"x", "x\\y", "x\\y\\inst", "x\\y\\inst\\deep", "x\\y\\inst\\deep\\er",
                             "x\\y\\inst\\deep\\er\\f.txt", "x\\y\\inst\\late", "x\\y\\inst\\late\\g.txt",
                             "x\\y\\inst\\empty", "x\\y\\inst\\empty\\dir"}) {
        EXPECT_NE(created.end(), std::find(created.begin(), created.end(), scratch.file(path))) << path;
    }
}

TEST_F(ExtractTest, FilesThatExistedAreNotRecordedAsCreated)
{
    ASSERT_TRUE(::CreateDirectoryA(installDir.c_str(), nullptr));
    ASSERT_TRUE(TestZip::Save(Target("old.txt"), "old"));
    Payload({TestZipItem::File("old.txt", "new"), TestZipItem::File("new.txt", "new")});
    ASSERT_TRUE(engine->ExtractPayload());
    EXPECT_EQ(std::vector<std::string>({Target("new.txt")}), engine->GetCreatedEntries());
}

TEST_F(ExtractTest, NoItemIsWrittenOutsideTheInstallDirectory)
{
    Payload({TestZipItem::File("..\\escaped1.txt", "x"), TestZipItem::File("../escaped2.txt", "x"),
             TestZipItem::File("C:..\\escaped3.txt", "x"), TestZipItem::File("ok.txt:stream", "x"),
             TestZipItem::File("CON", "x"), TestZipItem::File("sub/.../x.txt", "x"),
             TestZipItem::File("\\\\server\\share\\unc.txt", "u"), TestZipItem::File("C:\\abs\\drive.txt", "d"),
             TestZipItem::File("/rooted/r.txt", "r"), TestZipItem::File("a/../../b/../n.txt", "n"),
             TestZipItem::Folder("../outdir/"), TestZipItem::File("fine.txt", "fine")});
    EXPECT_FALSE(engine->ExtractPayload());
    EXPECT_EQ(std::vector<std::string>({"build.zip", "inst"}), Entries(scratch.str()));
    EXPECT_EQ("fine", ReadFileText(Target("fine.txt")));
    // What the reader's name rules leave of the others lands below the install directory.
    EXPECT_EQ("u", ReadFileText(Target("server\\share\\unc.txt")));
    EXPECT_EQ("d", ReadFileText(Target("abs\\drive.txt")));
    EXPECT_EQ("r", ReadFileText(Target("rooted\\r.txt")));
    EXPECT_EQ("n", ReadFileText(Target("n.txt")));
}

TEST_F(ExtractTest, DamagedItemsWriteOnlyWhatWasProducedAndFail)
{
    std::string stored = TestZip::Bytes(20000, 6);
    TestZipItem shortItem = TestZipItem::File("short.bin", stored);
    shortItem.recordedSize = 40000;
    TestZipItem badCrc = TestZipItem::File("crc.bin", std::string(3000, 'c'));
    badCrc.wrongCrc = true;
    TestZipItem broken = TestZipItem::File("broken.bin", std::string(3000, 'b'));
    broken.brokenData = true;
    Payload({shortItem, badCrc, broken, TestZipItem::File("good.txt", "good")});
    EXPECT_FALSE(engine->ExtractPayload());
    EXPECT_TRUE(stored == ReadFileText(Target("short.bin")));
    EXPECT_EQ(std::vector<int32_t>({0x4000, 20000 - 0x4000}), Chunks()[Target("short.bin")]);
    EXPECT_EQ(std::string(3000, 'c'), ReadFileText(Target("crc.bin")));
    EXPECT_EQ("", ReadFileText(Target("broken.bin")));
    EXPECT_EQ(std::vector<int32_t>({0}), Chunks()[Target("broken.bin")]);
    EXPECT_EQ("good", ReadFileText(Target("good.txt")));
    EXPECT_EQ(4u, recorder.Count(NoticeFileEnd));
}

TEST_F(ExtractTest, AnArchiveClaimingMoreItemsThanItHoldsFailsQuickly)
{
    std::string bytes = TestZip::Build({TestZipItem::File("a.txt", "a"), TestZipItem::File("b.txt", "b")},
                                       scratch.file("build.zip"));
    size_t end = bytes.rfind(std::string("PK\x05\x06", 4));
    ASSERT_NE(std::string::npos, end);
    for (size_t at : {end + 8, end + 10}) {
        bytes[at] = '\xFE';
        bytes[at + 1] = '\xFF';
    }
    PutPayload(bytes);
    EXPECT_FALSE(engine->ExtractPayload());
    EXPECT_EQ("total begin chunk end begin chunk end", recorder.Outline());
    EXPECT_EQ("a", ReadFileText(Target("a.txt")));
    EXPECT_EQ("b", ReadFileText(Target("b.txt")));
}
