// The rollback: what it hands to the remover and in which order, and that folders and
// program groups the user had before keep everything of the user's.
#include "ProfileTest.h"

using RollbackTest = ProfileTest;

TEST_F(RollbackTest, QueuesTheRecordedInstallationFirstThenTheCurrentOne)
{
    std::string oldDir = scratch.file("old"), oldGroup = InstallReport::ProgramsFolder() + "\\OrvantaTest Old";
    std::string oldLink = InstallReport::DesktopFolder() + "\\OrvantaTest Old.lnk", fresh = scratch.file("no\\new");
    for (int i = 0; i < 400; ++i)
        ASSERT_TRUE(MakeTree(oldDir, {"f" + std::to_string(i)}));
    ASSERT_TRUE(MakeTree(oldGroup, {}) && Save(oldLink, "old link"));
    CreateRecord({{"InstallPath", oldDir}, {"ProgramGroup", "OrvantaTest Old"}, {"DesktopName", "OrvantaTest Old"}});
    NewEngine(fresh).RequestCancel();
    ASSERT_TRUE(engine->Rollback());
    EXPECT_FALSE(engine->Rollback() || engine->RollbackFailedRun()) << "one rollback per run";
    // The directory and group are not found, so they are this run's and go as a whole.
    EXPECT_EQ(Names({oldDir, oldGroup, fresh, Group()}), Remover::Instance()->Directories());
    EXPECT_EQ(Names({oldLink, DesktopLink()}), Remover::Instance()->Files());
    EXPECT_EQ("1", InstallReport::RecordValue("Repair"));
    // An exit during a rollback waits for the removal to complete. A recorded group is one
    // among other products' in the Programs folder, never removed as a whole.
    Remover::DestroyInstance();
    EXPECT_FALSE(Exists(oldDir) || Exists(oldLink) || InstallReport::RecordExists());
    EXPECT_TRUE(Exists(oldGroup));
    ::RemoveDirectoryA(oldGroup.c_str());

    // Nothing is queued for a group or desktop name that climbs out of its folder (it would
    // name an unrelated one), or a directory that cannot be looked at (here a path too long for
    // the call: only "not found" makes it new, any other failure may hide a folder of the user's).
    CreateRecord({{"ProgramGroup", "..\\..\\Start Menu"}, {"DesktopName", "C:\\x\\y"}});
    NewEngine(scratch.file(std::string(300, 'x'))).RequestCancel();
    ASSERT_TRUE(engine->Rollback());
    EXPECT_EQ(Names({Group()}), Remover::Instance()->Directories());
    EXPECT_EQ(Names({DesktopLink()}), Remover::Instance()->Files());
}

// A folder or group the user had (not the recorded installation's) keeps all but what this
// run made, whether the run was cancelled or completed and wrote its record, also when the
// record keeps settings below it. A run that fails (a file of the recorded installation is
// locked) takes only what it made: the previous installation, its group, shortcut and
// record stay.
TEST_F(RollbackTest, OnlyWhatTheRunMadeGoesFromWhatTheUserHad)
{
    enum Folder { Users, Recorded, New };
    enum End { Completes, CancelAtChunk5, Fails };
    const struct {
        Folder folder;
        bool usersGroup;
        End end;
        bool recordSubkey;
        Names left;  // in the folder afterwards; nothing when it goes
    } rows[] = {{Users, false, CancelAtChunk5, false, {"mine\\", "mine\\keep.txt", "user.txt"}},
                // A file the user puts into a folder the run made keeps that folder.
                {Users, true, Completes, true,
                 {"mine\\", "mine\\keep.txt", "newdir\\", "newdir\\later.txt", "user.txt"}},
                {New, true, Completes, false, {}},  // missing parents are the run's too
                // A failed reinstallation keeps the previous one.
                {Recorded, true, Fails, true, {"big.bin", "mine\\", "mine\\keep.txt", "user.txt"}},
                // An abandon leaves none of the record's values, though a subkey keeps the key.
                {Recorded, false, CancelAtChunk5, true, {}}};
    const std::vector<TestZipItem> items = {{"app.exe", "app"}, {"user.txt", "overwritten"},
                                            {"mine/added.txt", "added"}, {"newdir/x.txt", "x"},
                                            {"big.bin", Bytes(5 * 0x4000, 8)}};
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        const auto& row = rows[i];
        const bool fails = row.end == Fails;
        // The record names its folder in other case and with a trailing backslash.
        std::string root = scratch.file("run" + std::to_string(i)), recorded = root + "\\";
        ::CharUpperA(&recorded[0]);
        ASSERT_TRUE(row.folder == New || MakeTree(root, {"user.txt", "mine\\", "mine\\keep.txt"}));
        ASSERT_TRUE(!row.usersGroup || MakeTree(Group(), {"Other Product.lnk"}));
        ASSERT_TRUE(!fails || (MakeTree(root, {"big.bin"}) && Save(DesktopLink(), "old link")));
        NewEngine(row.folder == New ? root + "\\x\\y\\inst" : root, items);
        if (row.folder == Recorded)
            CreateRecord({{"InstallPath", recorded}, {"ProgramGroup", kGroup}, {"DesktopName", kApp}});
        ASSERT_TRUE(!row.recordSubkey || RegKey().Create(HKEY_CURRENT_USER, "Software\\Orvanta\\Settings"));
        HANDLE lock = ::CreateFileA((root + "\\big.bin").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_EQ(fails, lock != INVALID_HANDLE_VALUE);
        onNotice = [&](const ProgressNotice& notice) {
            if (row.end == CancelAtChunk5 && notice.code == NoticeChunk && Values(NoticeChunk).size() == 5)
                engine->RequestCancel();
        };
        ASSERT_TRUE(engine->StartWorker() && engine->WaitForWorker(INFINITE));
        const int32_t lastNotice[] = {NoticeDone, NoticeCancel, NoticeFailed};  // by End
        ASSERT_EQ(lastNotice[row.end], notices.back().code);
        // Four small files and the big one's first chunk: the cancel comes inside a file, and
        // silences the worker's further notices, its final one included.
        ASSERT_TRUE(row.end != CancelAtChunk5 || Values(NoticeChunk).size() == 5);
        // A cancelled or failed run makes no shortcut and writes no record.
        EXPECT_EQ(row.end == Completes, Exists(Group() + "\\Uninstall.lnk"));
        EXPECT_EQ(row.end == Completes, !InstallReport::RecordValue("SetupName").empty());
        ASSERT_TRUE(row.end != Completes || row.folder != Users || MakeTree(root + "\\newdir", {"later.txt"}));
        if (fails)
            ::CloseHandle(lock);
        else
            engine->RequestCancel();
        EXPECT_TRUE(fails ? engine->RollbackFailedRun() : engine->Rollback());
        Remover::DestroyInstance();

        EXPECT_EQ(row.left, InstallReport::ListTree(root));
        EXPECT_EQ(!row.left.empty(), Exists(root));
        EXPECT_EQ(row.usersGroup ? Names({"Other Product.lnk"}) : Names(), InstallReport::ListTree(Group()));
        EXPECT_EQ(fails, Exists(DesktopLink()));
        EXPECT_EQ(fails ? recorded : "", InstallReport::RecordValue("InstallPath"));
        EXPECT_EQ(row.recordSubkey, InstallReport::RecordExists()) << "the record goes unless it keeps settings";
        Clean();
    }
}
