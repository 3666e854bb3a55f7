// The remover's life against the install record (HKCU\Software\Orvanta of the build's own
// Wine prefix): "Repair", what construction queues, the worker and its end.
#include "remover/Remover.h"
#include "FileHelpers.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <string>
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

void CreateRecord()
{
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                &key, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(key);
}

void WriteValue(const char* name, const std::string& text)
{
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>(text.size() + 1));
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
    for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == ::GetCurrentProcessId())
            ++count;
    }
    ::CloseHandle(snapshot);
    return count;
}

class RemoverRecord : public ::testing::Test {
protected:
    void SetUp() override
    {
        Remover::DestroyInstance();
        ::RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
    }
    void TearDown() override
    {
        Remover::DestroyInstance();
        ::RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
    }
    std::string desktop = ShellFolder(CSIDL_DESKTOPDIRECTORY);
    std::string programs = ShellFolder(CSIDL_COMMON_PROGRAMS);
};

} // namespace

TEST_F(RemoverRecord, RepairFollowsTheRemoversLife)
{
    CreateRecord();
    Remover::Instance();
    EXPECT_EQ(ReadValue("Repair"), "1");
    Remover::DestroyInstance();
    EXPECT_EQ(ReadValue("Repair"), "0");
    EXPECT_TRUE(RecordExists());
}

TEST_F(RemoverRecord, WithoutARecordNothingIsCreated)
{
    Remover::Instance();
    EXPECT_FALSE(RecordExists());
    EXPECT_FALSE(Remover::SetRecordValue("Repair", "1"));
    EXPECT_EQ(Remover::GetRecordValue("Repair"), "");
    Remover::DestroyInstance();
    EXPECT_FALSE(RecordExists());
}

TEST_F(RemoverRecord, ConstructionQueuesTheRecordedInstallationFirst)
{
    ASSERT_FALSE(desktop.empty());
    ASSERT_FALSE(programs.empty());
    CreateRecord();
    WriteValue("InstallPath", "C:\\Old Place\\Orvanta 4.00");
    WriteValue("ProgramGroup", "Orvanta Old");
    WriteValue("DesktopName", "Orvanta 4.00");
    Remover* remover = Remover::Instance();
    remover->AddDirectory("C:\\Program Files\\Orvanta 4.00");
    remover->AddDirectory(programs + "\\Orvanta");
    remover->AddFile(desktop + "\\Orvanta.lnk");

    EXPECT_EQ(remover->Directories(),
              (std::vector<std::string>{"C:\\Old Place\\Orvanta 4.00", programs + "\\Orvanta Old",
                                        "C:\\Program Files\\Orvanta 4.00", programs + "\\Orvanta"}));
    EXPECT_EQ(remover->Files(), (std::vector<std::string>{desktop + "\\Orvanta 4.00.lnk", desktop + "\\Orvanta.lnk"}));
}

TEST_F(RemoverRecord, WithoutARecordOnlyTheDesktopEntryIsQueued)
{
    Remover* remover = Remover::Instance();
    EXPECT_TRUE(remover->Directories().empty());
    EXPECT_EQ(remover->Files(), (std::vector<std::string>{desktop + "\\.lnk"}));
}

TEST_F(RemoverRecord, ValuesBeyondSeventyNineCharactersReadEmptyAndAreNotQueued)
{
    CreateRecord();
    std::string fits = "C:\\" + std::string(76, 'p');
    std::string tooLong = fits + "q";
    WriteValue("InstallPath", fits);
    EXPECT_EQ(Remover::GetRecordValue("InstallPath"), fits);
    WriteValue("InstallPath", tooLong);
    WriteValue("ProgramGroup", std::string(80, 'g'));
    EXPECT_EQ(Remover::GetRecordValue("InstallPath"), "");
    Remover* remover = Remover::Instance();
    EXPECT_TRUE(remover->Directories().empty());
}

TEST_F(RemoverRecord, GroupNamesThatClimbOutOfProgramsAreNotQueued)
{
    CreateRecord();
    WriteValue("ProgramGroup", "..\\..\\Start Menu");
    WriteValue("DesktopName", "..\\Documents\\x");
    Remover* remover = Remover::Instance();
    EXPECT_TRUE(remover->Directories().empty());
    EXPECT_TRUE(remover->Files().empty());
}

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
    ASSERT_TRUE(MakeDir(group));
    ASSERT_TRUE(MakeFile(group + "\\Uninstall.lnk"));
    ASSERT_TRUE(MakeFile(link));
    CreateRecord();
    WriteValue("InstallPath", old);
    WriteValue("ProgramGroup", "Orvanta Remover Test");
    WriteValue("DesktopName", "Orvanta Remover Old");

    Remover* remover = Remover::Instance();
    remover->AddDirectory(current);
    remover->AddFile(link);
    EXPECT_TRUE(remover->Start());
    EXPECT_FALSE(remover->Start());
    Remover::DestroyInstance();

    EXPECT_FALSE(Exists(old));
    EXPECT_FALSE(Exists(current));
    EXPECT_FALSE(Exists(group));
    EXPECT_FALSE(Exists(link));
    EXPECT_FALSE(RecordExists());
}

// An exit during a rollback waits for the worker, so the removal is complete (and the
// remover alive for it) when DestroyInstance returns.
TEST_F(RemoverRecord, DestroyWaitsForTheRunningWorker)
{
    ScratchDir scratch;
    std::string tree = scratch.file("big");
    MakeBigTree(tree);
    CreateRecord();
    Remover* remover = Remover::Instance();
    remover->AddDirectory(tree);
    ASSERT_TRUE(remover->Start());
    Remover::DestroyInstance();
    EXPECT_FALSE(Exists(tree));
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
    ASSERT_TRUE(MakeDir(dir));
    ASSERT_TRUE(MakeFile(dir + "\\user.txt"));
    ASSERT_TRUE(MakeDir(dir + "\\userdir"));
    ASSERT_TRUE(MakeFile(dir + "\\userdir\\keep.txt"));
    // What the installation created, in creation order: folders, then files in them.
    std::vector<std::string> folders = {dir + "\\bin", dir + "\\data", dir + "\\data\\sub", dir + "\\logs"};
    std::vector<std::string> files = {dir + "\\app.exe", dir + "\\bin\\lib.dll", dir + "\\data\\sub\\x.dat",
                                      dir + "\\userdir\\new.dat"};
    for (const std::string& folder : folders)
        ASSERT_TRUE(MakeDir(folder)) << folder;
    for (const std::string& file : files)
        ASSERT_TRUE(MakeFile(file)) << file;
    std::vector<std::string> created = folders;
    created.insert(created.end(), files.begin(), files.end());
    created.push_back("relative\\file.txt");
    created.push_back("");
    ASSERT_TRUE(MakeFile(dir + "\\logs\\mine.txt"));  // the user's, in a created folder

    Remover* remover = Remover::Instance();
    remover->AddCreatedEntries(created);
    EXPECT_EQ(remover->CreatedEntries().size(), created.size() - 2);
    ASSERT_TRUE(remover->Start());
    Remover::DestroyInstance();

    EXPECT_TRUE(Exists(dir + "\\user.txt"));
    EXPECT_TRUE(Exists(dir + "\\userdir\\keep.txt"));
    EXPECT_TRUE(Exists(dir + "\\logs\\mine.txt"));
    for (const char* gone : {"\\app.exe", "\\bin", "\\data", "\\userdir\\new.dat"})
        EXPECT_FALSE(Exists(dir + gone)) << gone;
}
