// The rollback: what it hands to the remover and in which order, and that folders and
// program groups the user had before keep everything of the user's.
#include <algorithm>

#include "ProfileTest.h"
#include "remover/InstallRecordKey.h"
#include "remover/Remover.h"

using RollbackTest = ProfileTest;
using Names = std::vector<std::string>;

const char kSettingsKey[] = "Software\\Orvanta\\Settings";

TEST_F(RollbackTest, QueuesTheRecordedInstallationFirstThenTheCurrentOne)
{
    std::string oldDir = scratch.file("old"), oldGroup = ShellFolder(CSIDL_COMMON_PROGRAMS) + "OrvantaTest Old";
    std::string oldLink = ShellFolder(CSIDL_DESKTOP) + "OrvantaTest Old.lnk";
    ASSERT_TRUE(MakeTree(oldDir, Numbered(400)) && MakeTree(oldGroup, {}) && TestZip::Save(oldLink, "old link"));
    CreateRecord({{"InstallPath", oldDir}, {"ProgramGroup", "OrvantaTest Old"}, {"DesktopName", "OrvantaTest Old"}});
    NewEngine(scratch.file("new")).RequestCancel();
    ASSERT_TRUE(engine->Rollback());
    EXPECT_FALSE(engine->Rollback() || engine->RollbackFailedRun()) << "one rollback per run";
    EXPECT_EQ(Names({oldDir, oldGroup, scratch.file("new"), Group()}), Remover::Instance()->Directories());
    EXPECT_EQ(Names({oldLink, DesktopLink()}), Remover::Instance()->Files());
    EXPECT_EQ("1", RecordValue("Repair"));
    // An exit during a rollback waits for the removal to complete.
    Remover::DestroyInstance();
    EXPECT_FALSE(Exists(oldDir) || Exists(oldGroup) || Exists(oldLink) || RecordExists());
}

// A folder or group the user had (and that is not the recorded installation's) keeps all
// but what this run made, whether the run was cancelled or completed and wrote its record,
// also when the record keeps the product's settings below it. A run that fails (a file of
// the recorded installation is locked) takes only what it made, whatever the folder: the
// recorded installation, its group, its desktop shortcut and its record stay.
TEST_F(RollbackTest, OnlyWhatTheRunMadeGoesFromWhatTheUserHad)
{
    enum Folder { UsersFolder, RecordedFolder, NewFolder };
    enum End { Completes, CancelAtChunk5, CancelAtStart, FailsOnLockedFile };
    const struct {
        Folder folder;
        bool usersGroup;
        End end;
        bool recordSubkey;
    } rows[] = {{UsersFolder, false, CancelAtChunk5, false}, {UsersFolder, false, Completes, false},
                {UsersFolder, true, Completes, true},         {RecordedFolder, false, Completes, false},
                {NewFolder, true, Completes, false},          {UsersFolder, true, CancelAtStart, false},
                {RecordedFolder, true, FailsOnLockedFile, true}, {RecordedFolder, false, CancelAtStart, true}};
    const std::string zip = Zip({{"app.exe", "app"}, {"user.txt", "overwritten"}, {"mine/added.txt", "added"},
                                 {"newdir/x.txt", "x"}, {"big.bin", TestZip::Bytes(5 * 0x4000, 8)}});
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        SCOPED_TRACE(i);
        const auto& row = rows[i];
        bool failed = row.end == FailsOnLockedFile;
        std::string root = scratch.file("run" + std::to_string(i)), recorded = root + "\\";
        ::CharUpperA(&recorded[0]);
        ASSERT_TRUE(row.folder == NewFolder || MakeTree(root, {"user.txt", "mine\\", "mine\\keep.txt"}));
        ASSERT_TRUE(!row.usersGroup || MakeTree(Group(), {"Other Product.lnk"}));
        ASSERT_TRUE(!failed || (MakeTree(root, {"big.bin"}) && TestZip::Save(DesktopLink(), "old link")));
        NewEngine(row.folder == NewFolder ? root + "\\x\\y\\inst" : root, zip);
        if (row.folder == RecordedFolder)
            CreateRecord({{"InstallPath", recorded}, {"ProgramGroup", kGroup}, {"DesktopName", kApp}});
        HKEY settings = nullptr;
        ASSERT_TRUE(!row.recordSubkey || ::RegCreateKeyA(HKEY_CURRENT_USER, kSettingsKey, &settings) == ERROR_SUCCESS);
        ::RegCloseKey(settings);
        HANDLE lock = failed ? ::CreateFileA((root + "\\big.bin").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                             nullptr)
                             : INVALID_HANDLE_VALUE;
        ASSERT_TRUE(!failed || lock != INVALID_HANDLE_VALUE);
        onNotice = [&](const RecordedNotice& notice) {
            if (row.end == CancelAtChunk5 && notice.code == NoticeChunk && Values(NoticeChunk).size() == 5)
                engine->RequestCancel();
        };
        ASSERT_TRUE(engine->StartWorker());
        if (row.end != CancelAtStart) {
            ASSERT_TRUE(engine->WaitForWorker(INFINITE));
        }
        if (row.end == CancelAtChunk5) {
            ASSERT_EQ(5u, Values(NoticeChunk).size()) << "four small files and the big one's first chunk";
        }
        if (row.end == Completes) {
            ASSERT_EQ(NoticeDone, notices.back().code);
            // A file the user puts into a folder the run made keeps that folder.
            ASSERT_TRUE(row.folder != UsersFolder || MakeTree(root + "\\newdir", {"later.txt"}));
        }
        if (failed) {
            ASSERT_EQ(NoticeFailed, notices.back().code);
            ::CloseHandle(lock);
            EXPECT_TRUE(engine->RollbackFailedRun());
        } else {
            engine->RequestCancel();
            EXPECT_TRUE(engine->Rollback());
        }
        EXPECT_TRUE(engine->WaitForWorker(0));
        Remover::DestroyInstance();

        if (row.folder == UsersFolder || failed) {
            Names kept = failed ? Names({"big.bin", "mine", "user.txt"})
                                : row.end == Completes ? Names({"mine", "newdir", "user.txt"}) : Names({"mine", "user.txt"});
            EXPECT_EQ(kept, Entries(root));
            EXPECT_EQ(row.end == Completes ? Names({"later.txt"}) : Names(), Entries(root + "\\newdir"));
            EXPECT_EQ(Names({"keep.txt"}), Entries(root + "\\mine"));
        }
        EXPECT_EQ(row.folder == UsersFolder || failed, Exists(root));
        EXPECT_EQ(row.usersGroup ? Names({"Other Product.lnk"}) : Names(), Entries(Group()));
        EXPECT_EQ(failed, Exists(DesktopLink()));
        EXPECT_EQ(failed ? recorded : "<absent>", RecordValue("InstallPath"));
        EXPECT_EQ(failed ? kGroup : "<absent>", RecordValue("ProgramGroup"));
        EXPECT_EQ(row.recordSubkey, RecordExists()) << "the record goes unless it keeps settings";
        ::RegDeleteTreeA(HKEY_CURRENT_USER, InstallRecordKey::Path);
        ::DeleteFileA(DesktopLink().c_str());
        RemoveTree(Group());
    }
}

// Only "file not found" and "path not found" make an install directory new and hence
// removed as a whole; a path that cannot even be looked at (here one too long for the
// call) may be a folder of the user's and is kept.
TEST_F(RollbackTest, AFolderThatCannotBeLookedAtIsKept)
{
    const struct {
        std::string directory;
        bool queued;
    } rows[] = {{scratch.file("missing\\inst"), true}, {scratch.file(std::string(300, 'x')), false}};
    for (const auto& row : rows) {
        NewEngine(row.directory).RequestCancel();
        ASSERT_TRUE(engine->Rollback());
        const std::vector<std::string>& queued = Remover::Instance()->Directories();
        EXPECT_EQ(row.queued, std::find(queued.begin(), queued.end(), row.directory) != queued.end());
        Remover::DestroyInstance();
    }
}
