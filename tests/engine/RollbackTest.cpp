// The rollback and the install log: a failed run puts back the very bytes it replaced, an
// abandon removes the recorded installation exactly as its log lists it, and nothing of
// the user's or of another product's goes, whatever the record says.
#include <map>

#include "ProfileTest.h"
#include "remover/InstallLog.h"
#include "remover/LoggedRemoval.h"
#include "remover/SetAside.h"
#include "remover/UninstallEntry.h"
#include "framework/RegKey.h"
#include "framework/WideText.h"

namespace {

using Contents = std::map<std::string, std::string>;  // relative name -> bytes ("\\"-ended: a folder)

} // namespace

class RollbackTest : public ProfileTest {
protected:
    // Runs the engine to its end; `cancelAtChunk` > 0 cancels inside the run.
    int32_t Run(const std::string& directory, const std::vector<TestZipItem>& items, size_t cancelAtChunk = 0)
    {
        NewEngine(directory, items);
        onNotice = [this, cancelAtChunk](const ProgressNotice& notice) {
            if (cancelAtChunk && notice.code == NoticeChunk && Values(NoticeChunk).size() == cancelAtChunk)
                engine->RequestCancel();
        };
        if (!engine->StartWorker() || !engine->WaitForWorker(INFINITE))
            return -1;
        onNotice = nullptr;
        return notices.empty() ? -1 : notices.back().code;
    }
    static Contents Snapshot(const std::string& root)
    {
        Contents contents;
        for (const std::string& name : InstallReport::ListTree(root))
            contents[name] = name.back() == '\\' ? std::string() : Load(root + "\\" + name);
        return contents;
    }
    static std::string OtherLink() { return Group() + "\\Other Product.lnk"; }
};

// A later run that is abandoned, elsewhere or in the recorded place itself (what a repair
// start does), removes the recorded installation: exactly the entries its log names. The
// folder and group the user had keep everything else, byte for byte.
TEST_F(RollbackTest, AnAbandonRemovesTheRecordedInstallationExactlyAsItsLogSays)
{
    const std::vector<TestZipItem> v1 = {{"app.exe", "app one"}, {"lib/", ""}, {"lib/core.dll", Bytes(9000, 1)},
                                         {"big.bin", Bytes(5 * 0x4000, 2)}};
    for (bool samePlace : {false, true}) {
        SCOPED_TRACE(samePlace ? "the recorded place" : "another place");
        const std::string shared = scratch.file(samePlace ? "shared2" : "shared1");
        ASSERT_TRUE(MakeTree(shared, {"other\\", "other\\prog.exe", "user.txt", "lib\\", "lib\\notes.txt"}));
        ASSERT_TRUE(MakeTree(Group(), {}) && Save(OtherLink(), Bytes(300, 5)));
        const Contents users = Snapshot(shared);
        ASSERT_EQ(NoticeDone, Run(shared, v1));
        ASSERT_TRUE(Exists(shared + "\\" + InstallLog::FileName) && Exists(DesktopLink()));
        engine.reset();

        ASSERT_EQ(NoticeCancel, Run(samePlace ? shared : scratch.file("fresh"), v1, 5));
        EXPECT_TRUE(engine->Rollback());
        Remover::DestroyInstance();
        EXPECT_EQ(users, Snapshot(shared)) << "the user's folder keeps exactly what it had";
        EXPECT_EQ(Names({"Other Product.lnk"}), InstallReport::ListTree(Group()));
        EXPECT_EQ(Bytes(300, 5), Load(OtherLink()));
        EXPECT_FALSE(Exists(DesktopLink()) || Exists(scratch.file("fresh")) || InstallReport::RecordExists());
        Clean();
    }
}

// A reinstallation over an earlier version with other bytes that fails half way (a file
// is locked) leaves the earlier installation exactly as it was: every replaced file, the
// log, the record and the shortcuts, compared byte for byte. A file the user had placed
// where the product writes is put back too.
TEST_F(RollbackTest, AFailedReinstallationPutsBackEveryEarlierFileByteForByte)
{
    const std::string dir = scratch.file("inst");
    ASSERT_TRUE(MakeTree(dir, {"readme.txt"}));
    const std::vector<TestZipItem> v1 = {{"app.exe", "app one"}, {"lib/core.dll", Bytes(40000, 1)},
                                         {"locked.bin", "one"}};
    const std::vector<TestZipItem> v2 = {{"app.exe", "app two, longer"}, {"lib/core.dll", Bytes(70000, 3)},
                                         {"lib/new.dll", "new"}, {"readme.txt", "product readme"},
                                         {"locked.bin", "two"}};
    ASSERT_EQ(NoticeDone, Run(dir, v1));
    ASSERT_EQ(NoticeDone, Run(dir, v1));
    EXPECT_FALSE(Exists(dir + "\\" + SetAside::FolderName)) << "a successful run drops what it set aside";
    engine.reset();
    const Contents before = Snapshot(dir);
    const std::string record = InstallReport::Describe(), link = Load(DesktopLink());
    ASSERT_EQ("readme.txt", before.at("readme.txt"));

    HANDLE lock = ::CreateFileA((dir + "\\locked.bin").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    EXPECT_EQ(NoticeFailed, Run(dir, v2));
    EXPECT_EQ("app two, longer", Load(dir + "\\app.exe")) << "replaced before the failure";
    ::CloseHandle(lock);
    EXPECT_TRUE(engine->RollbackFailedRun());
    Remover::DestroyInstance();
    EXPECT_TRUE(engine->RollbackComplete());
    EXPECT_EQ(before, Snapshot(dir));
    EXPECT_EQ(record, InstallReport::Describe());
    EXPECT_EQ(link, Load(DesktopLink()));
}

// A run that died with files set aside (the state a crash leaves) is undone by the next
// run into that directory before it writes anything: here the next run fails, and every
// file is the one from before the crash.
TEST_F(RollbackTest, AnInterruptedRunsSetAsideFilesAreRestoredByTheNextRun)
{
    const std::string dir = scratch.file("inst"), aside = dir + "\\" + SetAside::FolderName;
    ASSERT_TRUE(MakeTree(dir, {"app.exe", "lib\\", "lib\\core.dll", std::string(SetAside::FolderName) + "\\",
                               std::string(SetAside::FolderName) + "\\0\\"}));
    ASSERT_TRUE(Save(aside + "\\0\\0", "earlier app") && Save(aside + "\\0\\1", "earlier core") &&
                Save(aside + "\\0\\2", "planted") && Save(dir + "\\app.exe", "half written"));
    ASSERT_TRUE(Save(aside + "\\" + SetAside::JournalName, "0\tapp.exe\n1\tlib\\core.dll\n2\t..\\outside.txt\n3\tcu"));
    EXPECT_EQ(NoticeFailed, Run(dir, {{"x.txt", "x"}, {"lib/core.dll/", ""}}));
    EXPECT_EQ(2, engine->RecoveredFiles());
    EXPECT_TRUE(engine->RollbackFailedRun());
    Remover::DestroyInstance();
    EXPECT_EQ((Contents{{"app.exe", "earlier app"}, {"lib\\", ""}, {"lib\\core.dll", "earlier core"}}), Snapshot(dir));
    EXPECT_FALSE(Exists(scratch.file("outside.txt")));
}

// A folder link inside the install directory (the fixture's sub\dirlink leads to target)
// is never written through: its item fails and the run is rolled back, leaving the
// target's files as they were. The log of a later removal never leads through it either.
TEST_F(RollbackTest, NothingIsWrittenOrRemovedThroughALinkInsideTheInstallDirectory)
{
    const std::string tree = LinkDir() + "\\tree", target = LinkDir() + "\\target";
    ASSERT_EQ("keep\n", Load(target + "\\keep.txt")) << "the engine_links fixture";
    ASSERT_TRUE(Save(tree + "\\own.txt", "mine"));
    EXPECT_EQ(NoticeFailed, Run(tree, {{"own.txt", "replaced"}, {"sub/dirlink/keep.txt", "overwritten"},
                                       {"sub/dirlink/planted.txt", "planted"}}));
    EXPECT_TRUE(engine->RollbackFailedRun());
    Remover::DestroyInstance();
    EXPECT_EQ((Contents{{"keep.txt", "keep\n"}}), Snapshot(target));
    EXPECT_EQ("mine", Load(tree + "\\own.txt"));
    ::DeleteFileA((tree + "\\own.txt").c_str());

    // A link in a file's place (the fixture's full\big.bin leads to a device) is never
    // written through either, and a directory that leads into the Windows folder is that
    // folder: nothing is written there.
    EXPECT_EQ(NoticeFailed, Run(LinkDir() + "\\full", {{"big.bin", "big"}}));
    EXPECT_EQ(NoticeFailed, Run(LinkDir() + "\\winlink\\orvanta-x", {{"a.txt", "a"}}));
    EXPECT_FALSE(Exists(LinkDir() + "\\winlink\\orvanta-x"));

    InstallLog log;
    log.directoryExisted = true;
    log.files = {"sub\\dirlink\\keep.txt"};
    log.folders = {"sub\\dirlink\\inner"};
    ASSERT_TRUE(MakeTree(target, {"inner\\"}));
    EXPECT_FALSE(LoggedRemoval(tree, log).RemoveAll()) << "an entry behind a link stays, and that is said";
    EXPECT_EQ((Contents{{"inner\\", ""}, {"keep.txt", "keep\n"}}), Snapshot(target));
    ::RemoveDirectoryA((target + "\\inner").c_str());
}

// A record that names what the wizard would refuse, planted by any process of the user, is
// no record: an abandon removes nothing because of it, though each named place holds a
// log that lists its files. A value of 80 characters or more is not read at all. The
// user's own desktop link of the product's name, which the run did not make, stays.
TEST_F(RollbackTest, APlantedRecordRemovesNothing)
{
    const std::string other = "C:\\users\\orvanta-other", longDir = scratch.file(std::string(80, 'l'));
    const std::string climbed = InstallReport::ProgramsFolder() + "\\..\\..\\orvanta-x";
    InstallLog planted;
    planted.files = {"doc.txt"};
    planted.group = climbed;
    for (const std::string& dir : {other, longDir, climbed}) {
        ASSERT_TRUE(MakeTree(dir, {"doc.txt"}));
        ASSERT_TRUE(Save(InstallLog::PathIn(dir), planted.Serialize()));
    }
    const struct {
        std::string path, group;
    } rows[] = {{other, ""}, {longDir, ""}, {scratch.file("fine"), "..\\..\\orvanta-x"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        ASSERT_TRUE(MakeTree(row.path, {"doc.txt"}) && Save(InstallLog::PathIn(row.path), planted.Serialize()));
        // Nor does an abandoned run take a desktop link of the product's name it did not make.
        ASSERT_TRUE(Save(DesktopLink(), "the user's own link"));
        CreateRecord({{"InstallPath", row.path}, {"ProgramGroup", row.group}, {"Repair", "1"}});
        ASSERT_EQ(NoticeCancel, Run(scratch.file("run"), {{"a.txt", "a"}, {"b.bin", Bytes(3 * 0x4000, 1)}}, 2));
        ASSERT_TRUE(engine->Rollback());
        EXPECT_EQ("", Remover::Instance()->RecordedDirectory());
        Remover::DestroyInstance();
        for (const std::string& dir : {row.path, climbed})
            EXPECT_EQ("doc.txt", Load(dir + "\\doc.txt")) << dir;
        EXPECT_EQ("the user's own link", Load(DesktopLink()));
        Clean();
    }
    std::error_code error;
    for (const std::string& dir : {other, climbed})
        std::filesystem::remove_all(dir, error);
}

// The entry in the list of installed programs follows the run: a run that fails after it
// wrote its entry takes it away again when there was none, and puts an earlier
// installation's entry back exactly when there was one.
TEST_F(RollbackTest, TheListEntryOfAFailedRunGoesAndAnEarlierOneComesBack)
{
    const std::wstring entryKey = WideText::FromUtf8(UninstallEntry::Path);
    auto entry = [] {
        RegKey key;
        std::string text;
        if (!key.Open(HKEY_LOCAL_MACHINE, UninstallEntry::Path, KEY_READ | UninstallEntry::MachineView))
            return std::string("none");
        for (const char* name : {"DisplayName", "InstallLocation", "UninstallString", "EstimatedSize", "InstallDate"}) {
            std::string value;
            key.QueryString(name, value);
            text += std::string(name) + "=" + value + ";";
        }
        return text;
    };
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, entryKey.c_str(), UninstallEntry::MachineView, 0);
    const std::vector<TestZipItem> items = {{"app.exe", "app"}, {"data.bin", Bytes(5000, 1)}};
    const std::string first = scratch.file("first"), second = scratch.file("second");

    // A first installation that fails after its last step: no entry stays.
    NewEngine(first, items);
    ASSERT_TRUE(engine->ExtractPayload() && engine->FinishInstall());
    EXPECT_NE("none", entry());
    EXPECT_TRUE(engine->RollbackFailedRun());
    Remover::DestroyInstance();
    EXPECT_EQ("none", entry());
    Clean();

    // An earlier installation's entry comes back as it was.
    ASSERT_EQ(NoticeDone, Run(first, items));
    const std::string earlier = entry();
    ASSERT_NE(std::string::npos, earlier.find("InstallLocation=" + first + ";")) << earlier;
    engine.reset();
    NewEngine(second, items);
    ASSERT_TRUE(engine->ExtractPayload() && engine->FinishInstall());
    EXPECT_NE(std::string::npos, entry().find("InstallLocation=" + second + ";"));
    EXPECT_TRUE(engine->RollbackFailedRun());
    Remover::DestroyInstance();
    EXPECT_EQ(earlier, entry());
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, entryKey.c_str(), UninstallEntry::MachineView, 0);
}
