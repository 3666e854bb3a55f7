// The remover's life against the install record (HKCU\Software\Orvanta of the build's own
// Wine prefix): "Repair", what construction queues, the worker and its end.
#include "remover/Remover.h"
#include "FileHelpers.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <string>
#include <utility>
#include <vector>

using namespace removertest;
using testsupport::ScratchDir;

namespace {

const char kKey[] = "Software\\Orvanta";

bool RecordExists()
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

// Creates the record (volatile) holding the given values.
void Record(std::initializer_list<std::pair<const char*, std::string>> values = {})
{
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                &key, nullptr),
              ERROR_SUCCESS);
    for (const auto& value : values)
        ::RegSetValueExA(key, value.first, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.second.c_str()),
                         static_cast<DWORD>(value.second.size() + 1));
    ::RegCloseKey(key);
}

// Read directly, with room for any length, so the remover's own reader is not the judge.
std::string ReadValue(const char* name)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<no key>";
    char buffer[1024] = "";
    DWORD size = sizeof(buffer) - 1;
    LONG status = ::RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS ? std::string(buffer) : "<no value>";
}

// Enough entries that removing them takes the worker a noticeable while.
void MakeBigTree(const std::string& root)
{
    ASSERT_TRUE(MakeDir(root));
    for (int d = 0; d < 20; ++d) {
        std::string folder = root + "\\d" + std::to_string(d);
        ASSERT_TRUE(MakeDir(folder));
        for (int f = 0; f < 30; ++f)
            ASSERT_TRUE(MakeFile(folder + "\\f" + std::to_string(f) + ".dat"));
    }
}

size_t ThreadCount()
{
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    size_t count = 0;
    for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == ::GetCurrentProcessId();
    ::CloseHandle(snapshot);
    return count;
}

class RemoverRecord : public ::testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override
    {
        Remover::DestroyInstance();
        ::RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
    }
    std::string desktop = ShellFolder(CSIDL_DESKTOPDIRECTORY);
    std::string programs = ShellFolder(CSIDL_COMMON_PROGRAMS);
};

} // namespace

TEST_F(RemoverRecord, RepairFollowsTheRemoversLifeAndNeverCreatesTheRecord)
{
    Remover::Instance();
    EXPECT_FALSE(Remover::SetRecordValue("Repair", "1"));
    EXPECT_EQ(Remover::GetRecordValue("Repair"), "");
    Remover::DestroyInstance();
    EXPECT_FALSE(RecordExists());

    Record();
    Remover::Instance();
    EXPECT_EQ(ReadValue("Repair"), "1");
    Remover::DestroyInstance();
    EXPECT_EQ(ReadValue("Repair"), "0");
    EXPECT_TRUE(RecordExists());
}

TEST_F(RemoverRecord, ConstructionQueuesTheRecordedInstallationFirst)
{
    ASSERT_FALSE(desktop.empty() || programs.empty());
    // Without a record only the (nameless) desktop entry is queued.
    EXPECT_TRUE(Remover::Instance()->Directories().empty());
    EXPECT_EQ(Remover::Instance()->Files(), (std::vector<std::string>{desktop + "\\.lnk"}));
    Remover::DestroyInstance();

    Record({{"InstallPath", "C:\\Old Place\\Orvanta 4.00"}, {"ProgramGroup", "Orvanta Old"},
            {"DesktopName", "Orvanta 4.00"}});
    Remover* remover = Remover::Instance();
    remover->AddDirectory("C:\\Program Files\\Orvanta 4.00");
    remover->AddDirectory(programs + "\\Orvanta");
    remover->AddFile(desktop + "\\Orvanta.lnk");
    EXPECT_EQ(remover->Directories(),
              (std::vector<std::string>{"C:\\Old Place\\Orvanta 4.00", programs + "\\Orvanta Old",
                                        "C:\\Program Files\\Orvanta 4.00", programs + "\\Orvanta"}));
    EXPECT_EQ(remover->Files(), (std::vector<std::string>{desktop + "\\Orvanta 4.00.lnk", desktop + "\\Orvanta.lnk"}));
}

TEST_F(RemoverRecord, OverlongOrClimbingRecordValuesAreNotQueued)
{
    std::string fits = "C:\\" + std::string(76, 'p');
    Record({{"InstallPath", fits}});
    EXPECT_EQ(Remover::GetRecordValue("InstallPath"), fits);
    // Beyond seventy-nine characters a value reads empty.
    Record({{"InstallPath", fits + "q"}, {"ProgramGroup", std::string(80, 'g')}});
    EXPECT_EQ(Remover::GetRecordValue("InstallPath"), "");
    EXPECT_TRUE(Remover::Instance()->Directories().empty());
    Remover::DestroyInstance();

    ::RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
    Record({{"ProgramGroup", "..\\..\\Start Menu"}, {"DesktopName", "..\\Documents\\x"}});
    EXPECT_TRUE(Remover::Instance()->Directories().empty());
    EXPECT_TRUE(Remover::Instance()->Files().empty());
}

// DestroyInstance right after Start: an exit during a rollback waits for the worker, so
// the removal is complete (and the remover alive for it) when it returns.
TEST_F(RemoverRecord, WorkerRemovesEverythingQueuedAndThenTheRecord)
{
    ScratchDir scratch;
    std::string old = scratch.file("old");
    std::string current = scratch.file("current");
    std::string group = programs + "\\Orvanta Remover Test";
    // Under Wine the prefix's desktop is a link to the real home folder, so the test's
    // "shortcut" lives in the scratch folder and the recorded one is never created.
    std::string link = scratch.file("Orvanta Remover.lnk");
    MakeBigTree(old);
    MakeBigTree(current);
    ASSERT_TRUE(MakeTree(group, {"Uninstall.lnk"}));
    ASSERT_TRUE(MakeFile(link));
    Record({{"InstallPath", old}, {"ProgramGroup", "Orvanta Remover Test"}, {"DesktopName", "Orvanta Remover Old"}});

    Remover* remover = Remover::Instance();
    remover->AddDirectory(current);
    remover->AddFile(link);
    EXPECT_TRUE(remover->Start());
    EXPECT_FALSE(remover->Start());
    Remover::DestroyInstance();
    for (const std::string& gone : {old, current, group, link})
        EXPECT_FALSE(Exists(gone)) << gone;
    EXPECT_FALSE(RecordExists());
}

// Past the bound the instance is handed to the worker: it is forgotten at once, the
// worker still completes the removal and frees it.
TEST_F(RemoverRecord, DestroyPastTheBoundLeavesTheRemovalToTheWorker)
{
    ScratchDir scratch;
    std::string tree = scratch.file("big");
    MakeBigTree(tree);
    Remover* remover = Remover::Instance();
    remover->AddDirectory(tree);
    size_t threads = ThreadCount();
    ASSERT_TRUE(remover->Start());
    Remover::DestroyInstance(0);
    EXPECT_TRUE(Remover::Instance()->Directories().empty());
    // The worker's end, not just the tree's removal: it still deletes the record key after.
    for (int i = 0; i < 300 && ThreadCount() > threads; ++i)
        ::Sleep(100);
    EXPECT_EQ(ThreadCount(), threads);
    EXPECT_FALSE(Exists(tree));
}

// Rolling back into a folder the user already had removes only what the run created.
TEST_F(RemoverRecord, CreatedEntriesGoAndTheUsersFilesStay)
{
    ScratchDir scratch;
    std::string dir = scratch.file("existing");
    ASSERT_TRUE(MakeTree(dir, {"user.txt", "userdir\\", "userdir\\keep.txt"}));
    // What the installation created, in creation order: folders, then files in them.
    ASSERT_TRUE(MakeTree(dir, {"bin\\", "data\\", "data\\sub\\", "logs\\", "app.exe", "bin\\lib.dll",
                               "data\\sub\\x.dat", "userdir\\new.dat"}));
    std::vector<std::string> created;
    for (const char* entry : {"bin", "data", "data\\sub", "logs", "app.exe", "bin\\lib.dll", "data\\sub\\x.dat",
                              "userdir\\new.dat"})
        created.push_back(dir + "\\" + entry);
    created.push_back("relative\\file.txt");
    created.push_back("");
    ASSERT_TRUE(MakeFile(dir + "\\logs\\mine.txt"));  // the user's, in a created folder

    Remover* remover = Remover::Instance();
    remover->AddCreatedEntries(created);
    EXPECT_EQ(remover->CreatedEntries().size(), created.size() - 2);
    ASSERT_TRUE(remover->Start());
    Remover::DestroyInstance();
    for (const char* kept : {"\\user.txt", "\\userdir\\keep.txt", "\\logs\\mine.txt"})
        EXPECT_TRUE(Exists(dir + kept)) << kept;
    for (const char* gone : {"\\app.exe", "\\bin", "\\data", "\\userdir\\new.dat"})
        EXPECT_FALSE(Exists(dir + gone)) << gone;
}
