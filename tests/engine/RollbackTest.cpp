// The rollback: what it hands to the remover and in which order, and that a folder the
// user had before keeps everything of the user's.
#include "NoticeRecorder.h"
#include "ProfileTest.h"
#include "TestZip.h"
#include "engine/InstallEngine.h"
#include "remover/Remover.h"

namespace {

const char kGroup[] = "OrvantaTest Rollback";
const char kOldGroup[] = "OrvantaTest Old";
const char kOldLink[] = "OrvantaTest OldApp";
const char kApp[] = "OrvantaTest RollbackApp";

class RollbackTest : public ProfileTest {
protected:
    void SetUp() override
    {
        ProfileTest::SetUp();
        Owns(kGroup, kApp);
        Owns(kOldGroup, kOldLink);
        engine.reset(new InstallEngine(scratch.file("none.exe")));
        PutLangIni(std::string("[install]\r\ninstallname=") + kApp + "\r\n");
        engine->SetFrameWindow(recorder.Window());
        engine->SetProgramGroup(kGroup);
    }
    void TearDown() override
    {
        engine.reset();
        ProfileTest::TearDown();
    }

    // The product: files at the top, in a folder the user has too, and in a new folder.
    void Product()
    {
        PutPayload(TestZip::Build({TestZipItem::File("app.exe", "app"), TestZipItem::File("mine/added.txt", "added"),
                                   TestZipItem::File("newdir/x.txt", "x"),
                                   TestZipItem::File("big.bin", TestZip::Bytes(5 * 0x4000, 8))},
                                  scratch.file("build.zip")));
    }

    // An existing folder with the user's own files in it.
    std::string UserFolder()
    {
        std::string folder = scratch.file("existing");
        ::CreateDirectoryA(folder.c_str(), nullptr);
        ::CreateDirectoryA((folder + "\\mine").c_str(), nullptr);
        TestZip::Save(folder + "\\user.txt", "user");
        TestZip::Save(folder + "\\mine\\keep.txt", "keep");
        return folder;
    }

    void RunToTheEnd()
    {
        ASSERT_TRUE(engine->StartWorker());
        ASSERT_TRUE(engine->WaitForWorker(INFINITE));
    }

    std::string UserGroup()
    {
        std::string group = ProgramsFolder() + kGroup;
        ::CreateDirectoryA(group.c_str(), nullptr);
        TestZip::Save(group + "\\Other Product.lnk", "the user's own shortcut");
        return group;
    }

    void ExpectOnlyTheUsersFiles(const std::string& folder)
    {
        EXPECT_EQ(std::vector<std::string>({"mine", "user.txt"}), Entries(folder));
        EXPECT_EQ(std::vector<std::string>({"keep.txt"}), Entries(folder + "\\mine"));
    }

    // Cancels and rolls back as the frame does, then waits for the removal to finish.
    void CancelAndRollBack()
    {
        engine->RequestCancel();
        EXPECT_TRUE(engine->Rollback());
        Remover::DestroyInstance();
    }

    NoticeRecorder recorder;
    std::unique_ptr<InstallEngine> engine;
};

} // namespace

TEST_F(RollbackTest, QueuesTheRecordedInstallationFirstThenTheCurrentOne)
{
    std::string oldDir = scratch.file("old"), newDir = scratch.file("new");
    ::CreateDirectoryA(oldDir.c_str(), nullptr);
    ::CreateDirectoryA((ProgramsFolder() + kOldGroup).c_str(), nullptr);
    TestZip::Save(DesktopFolder() + kOldLink + ".lnk", "old link");
    CreateRecord({{"InstallPath", oldDir}, {"ProgramGroup", kOldGroup}, {"DesktopName", kOldLink}});
    engine->SetInstallDirectory(newDir);
    engine->RequestCancel();
    ASSERT_TRUE(engine->Rollback());
    Remover* remover = Remover::Instance();
    std::string programs = ProgramsFolder();
    EXPECT_EQ(std::vector<std::string>({oldDir, programs + kOldGroup, newDir, programs + kGroup}),
              remover->Directories());
    EXPECT_EQ(std::vector<std::string>({DesktopFolder() + kOldLink + ".lnk", DesktopFolder() + kApp + ".lnk"}),
              remover->Files());
    EXPECT_EQ("1", RecordValue("Repair"));
    Remover::DestroyInstance();
    EXPECT_FALSE(Exists(oldDir));
    EXPECT_FALSE(Exists(programs + kOldGroup));
    EXPECT_FALSE(Exists(DesktopFolder() + kOldLink + ".lnk"));
    EXPECT_FALSE(RecordExists());
}

TEST_F(RollbackTest, RepairFollowsTheRemoversLife)
{
    CreateRecord({{"InstallPath", scratch.file("gone")}});
    engine.reset();
    EXPECT_EQ("0", RecordValue("Repair"));
    DeleteRecord();
    engine.reset(new InstallEngine(scratch.file("none.exe")));
    engine.reset();
    EXPECT_FALSE(RecordExists());
}

// The rollback waits for the cancelled worker: it has ended when Rollback returns.
TEST_F(RollbackTest, AFolderTheUserHadKeepsTheUsersFilesAfterACancelledRun)
{
    std::string folder = UserFolder();
    engine->SetInstallDirectory(folder);
    Product();
    recorder.onNotice = [&](const RecordedNotice& notice) {
        if (notice.code == NoticeChunk && recorder.Count(NoticeChunk) == 5)
            engine->RequestCancel();
    };
    ASSERT_TRUE(engine->StartWorker());
    EXPECT_TRUE(engine->Rollback());
    EXPECT_TRUE(engine->WaitForWorker(0));
    Remover::DestroyInstance();
    ExpectOnlyTheUsersFiles(folder);
}

TEST_F(RollbackTest, AFolderTheUserHadKeepsTheUsersFilesAfterACompleteRun)
{
    std::string folder = UserFolder();
    engine->SetInstallDirectory(folder);
    Product();
    RunToTheEnd();
    ASSERT_EQ(NoticeDone, recorder.Notices().back().code);
    ASSERT_EQ(folder, RecordValue("InstallPath"));
    CancelAndRollBack();
    ExpectOnlyTheUsersFiles(folder);
    EXPECT_FALSE(Exists(ProgramsFolder() + kGroup));
    EXPECT_FALSE(Exists(DesktopFolder() + kApp + ".lnk"));
    EXPECT_FALSE(RecordExists());
}

TEST_F(RollbackTest, TheRecordedInstallationsFolderIsRemovedAsAWhole)
{
    std::string folder = UserFolder();
    std::string recorded = folder + "\\";
    for (char& c : recorded)
        c = char(toupper(static_cast<unsigned char>(c)));
    CreateRecord({{"InstallPath", recorded}});
    engine->SetInstallDirectory(folder);
    Product();
    RunToTheEnd();
    CancelAndRollBack();
    EXPECT_FALSE(Exists(folder));
}

TEST_F(RollbackTest, AFolderTheRunCreatedGoesWithItsNewParents)
{
    engine->SetInstallDirectory(scratch.file("x\\y\\inst"));
    Product();
    RunToTheEnd();
    CancelAndRollBack();
    EXPECT_FALSE(Exists(scratch.file("x")));
}

TEST_F(RollbackTest, AGroupTheUserHadKeepsEverythingButThisRunsShortcuts)
{
    std::string group = UserGroup();
    engine->SetInstallDirectory(scratch.file("inst"));
    Product();
    RunToTheEnd();
    ASSERT_TRUE(Exists(group + "\\Uninstall.lnk"));
    CancelAndRollBack();
    EXPECT_EQ(std::vector<std::string>({"Other Product.lnk"}), Entries(group));
    EXPECT_FALSE(Exists(scratch.file("inst")));
}

TEST_F(RollbackTest, AGroupTheUserHadIsLeftAloneByACancelledRun)
{
    std::string group = UserGroup();
    engine->SetInstallDirectory(scratch.file("inst"));
    Product();
    ASSERT_TRUE(engine->StartWorker());
    engine->RequestCancel();
    EXPECT_TRUE(engine->Rollback());
    Remover::DestroyInstance();
    EXPECT_EQ(std::vector<std::string>({"Other Product.lnk"}), Entries(group));
}
