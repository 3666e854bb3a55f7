// The rollback: what it hands to the remover and in which order, and that folders and
// program groups the user had before keep everything of the user's.
#include "ProfileTest.h"
#include "remover/Remover.h"

using RollbackTest = ProfileTest;
using Names = std::vector<std::string>;

TEST_F(RollbackTest, QueuesTheRecordedInstallationFirstThenTheCurrentOne)
{
    std::string oldDir = scratch.file("old"), oldGroup = ShellFolder(CSIDL_COMMON_PROGRAMS) + "OrvantaTest Old";
    std::string oldLink = ShellFolder(CSIDL_DESKTOP) + "OrvantaTest Old.lnk";
    ASSERT_TRUE(MakeTree(oldDir, Numbered(400)) && MakeTree(oldGroup, {}) && TestZip::Save(oldLink, "old link"));
    CreateRecord({{"InstallPath", oldDir}, {"ProgramGroup", "OrvantaTest Old"}, {"DesktopName", "OrvantaTest Old"}});
    NewEngine(scratch.file("new")).RequestCancel();
    ASSERT_TRUE(engine->Rollback());
    EXPECT_EQ(Names({oldDir, oldGroup, scratch.file("new"), Group()}), Remover::Instance()->Directories());
    EXPECT_EQ(Names({oldLink, DesktopLink()}), Remover::Instance()->Files());
    EXPECT_EQ("1", RecordValue("Repair"));
    // An exit during a rollback waits for the removal to complete.
    Remover::DestroyInstance();
    EXPECT_FALSE(Exists(oldDir) || Exists(oldGroup) || Exists(oldLink) || RecordExists());
}

// A folder or group the user had (and that is not the recorded installation's) keeps all
// but what this run made, whether the run was cancelled or completed and wrote its record.
// A cancelled worker has ended when Rollback returns.
TEST_F(RollbackTest, OnlyWhatTheRunMadeGoesFromWhatTheUserHad)
{
    enum Folder { UsersFolder, RecordedFolder, NewFolder };
    const struct {
        Folder folder;
        bool usersGroup;
        int cancelAtChunk;  // 0: the run completes; -1: cancelled right after the start
    } rows[] = {{UsersFolder, false, 5}, {UsersFolder, false, 0}, {RecordedFolder, false, 0}, {NewFolder, true, 0},
                {UsersFolder, true, -1}};
    const std::string zip = Zip({{"app.exe", "app"}, {"user.txt", "overwritten"}, {"mine/added.txt", "added"},
                                 {"newdir/x.txt", "x"}, {"big.bin", TestZip::Bytes(5 * 0x4000, 8)}});
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        SCOPED_TRACE(i);
        const auto& row = rows[i];
        std::string root = scratch.file("run" + std::to_string(i)), recorded = root + "\\";
        ::CharUpperA(&recorded[0]);
        ASSERT_TRUE(row.folder == NewFolder || MakeTree(root, {"user.txt", "mine\\", "mine\\keep.txt"}));
        ASSERT_TRUE(!row.usersGroup || MakeTree(Group(), {"Other Product.lnk"}));
        NewEngine(row.folder == NewFolder ? root + "\\x\\y\\inst" : root, zip);
        if (row.folder == RecordedFolder)
            CreateRecord({{"InstallPath", recorded}});
        onNotice = [&](const RecordedNotice& notice) {
            if (notice.code == NoticeChunk && int(Values(NoticeChunk).size()) == row.cancelAtChunk)
                engine->RequestCancel();
        };
        ASSERT_TRUE(engine->StartWorker());
        if (row.cancelAtChunk == 0) {
            ASSERT_TRUE(engine->WaitForWorker(INFINITE));
            ASSERT_EQ(NoticeDone, notices.back().code);
            // A file the user puts into a folder the run made keeps that folder.
            ASSERT_TRUE(row.folder != UsersFolder || MakeTree(root + "\\newdir", {"later.txt"}));
        }
        engine->RequestCancel();
        EXPECT_TRUE(engine->Rollback());
        EXPECT_TRUE(engine->WaitForWorker(0));
        Remover::DestroyInstance();

        if (row.folder == UsersFolder) {
            EXPECT_EQ(row.cancelAtChunk ? Names({"mine", "user.txt"}) : Names({"mine", "newdir", "user.txt"}),
                      Entries(root));
            EXPECT_EQ(row.cancelAtChunk ? Names() : Names({"later.txt"}), Entries(root + "\\newdir"));
            EXPECT_EQ(Names({"keep.txt"}), Entries(root + "\\mine"));
        }
        EXPECT_EQ(row.folder == UsersFolder, Exists(root));
        EXPECT_EQ(row.usersGroup ? Names({"Other Product.lnk"}) : Names(), Entries(Group()));
        EXPECT_FALSE(Exists(DesktopLink()) || RecordExists());
        RemoveTree(Group());
    }
}
