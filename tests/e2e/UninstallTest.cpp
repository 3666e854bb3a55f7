// The demo's Uninstall.exe removing what the setup created, silently and after its
// question, while a file of the user's own in the install directory stays.
#include "E2eFixture.h"

#include <tlhelp32.h>

#include "InstallReport.h"

namespace e2e {
namespace {

const char kCopyPrefix[] = "OrvantaUninstall-";

// The uninstaller hands the removal to a copy of itself in the temporary folder.
std::vector<DWORD> RemovalCopies()
{
    std::vector<DWORD> found;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32First(snapshot, &entry); more; more = ::Process32Next(snapshot, &entry))
        if (::_strnicmp(entry.szExeFile, kCopyPrefix, sizeof(kCopyPrefix) - 1) == 0)
            found.push_back(entry.th32ProcessID);
    ::CloseHandle(snapshot);
    return found;
}

struct BoxSearch {
    const std::vector<DWORD>* processes;
    HWND found;
};

BOOL CALLBACK FindBox(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<BoxSearch*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    char name[32] = {};
    ::GetClassNameA(window, name, sizeof(name));
    for (DWORD process : *search->processes) {
        if (process == owner && ::IsWindowVisible(window) && lstrcmpA(name, "#32770") == 0) {
            search->found = window;
            return FALSE;
        }
    }
    return TRUE;
}

HWND BoxOf(const std::vector<DWORD>& processes)
{
    BoxSearch search{&processes, nullptr};
    ::EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Starts Uninstall.exe of the installation with the given arguments.
bool StartUninstaller(const std::string& directory, const std::string& arguments, PROCESS_INFORMATION& process)
{
    std::string exe = directory + "\\Uninstall.exe";
    std::string command = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    return ::CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &process) != FALSE;
}

class UninstallTest : public E2eTest {
protected:
    void TearDown() override
    {
        // The copies end by themselves once their work is done; their files stay behind.
        WaitUntil(kStepMs, [] { return RemovalCopies().empty(); });
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        WIN32_FIND_DATAA data;
        HANDLE find = ::FindFirstFileA((std::string(temp) + kCopyPrefix + "*.exe").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do
                ::DeleteFileA((std::string(temp) + data.cFileName).c_str());
            while (::FindNextFileA(find, &data));
            ::FindClose(find);
        }
        E2eTest::TearDown();
    }

    void ExpectRemoved(const std::string& directory, const std::string& group)
    {
        EXPECT_TRUE(WaitUntil(kInstallMs, [&] {
            return !InstallReport::RecordExists() && !Exists(GroupFolder(group)) && !Exists(DesktopLink())
                && !Exists(directory + "\\terminal.exe") && RemovalCopies().empty();
        })) << InstallReport::Describe();
        EXPECT_FALSE(Exists(directory + "\\docs"));
        EXPECT_FALSE(Exists(directory + "\\Uninstall.exe"));
    }
};

TEST_F(UninstallTest, SilentRemovalKeepsTheUsersOwnFile)
{
    std::string setup = Pack("setup-uninstall-silent");
    std::string directory = scratch_.file("Orvanta Removed");
    Choices choices;
    choices.directory = directory;
    ASSERT_NO_FATAL_FAILURE(InstallDemo(setup, choices));
    ASSERT_TRUE(InstallReport::RecordExists());
    WriteBytes(directory + "\\my notes.txt", "mine");

    PROCESS_INFORMATION process{};
    ASSERT_TRUE(StartUninstaller(directory, "/S", process));
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(process.hProcess, kStepMs));
    ::CloseHandle(process.hProcess);
    ::CloseHandle(process.hThread);
    ExpectRemoved(directory, kDefaultGroup);
    EXPECT_EQ(std::vector<std::string>{"my notes.txt"}, InstallReport::ListTree(directory))
        << "the directory stays with the user's file alone";
    EXPECT_EQ("mine", ReadBytes(directory + "\\my notes.txt"));
    EXPECT_FALSE(BoxOf(RemovalCopies())) << "a silent removal says nothing";
}

TEST_F(UninstallTest, InteractiveRemovalAsksAndReports)
{
    std::string setup = Pack("setup-uninstall-asked");
    ASSERT_NO_FATAL_FAILURE(InstallDemo(setup, Choices()));
    ASSERT_TRUE(InstallReport::RecordExists());

    PROCESS_INFORMATION process{};
    ASSERT_TRUE(StartUninstaller(kDefaultDirectory, std::string(), process));
    std::vector<DWORD> uninstaller{process.dwProcessId};
    HWND question = nullptr;
    ASSERT_TRUE(WaitUntil(kStepMs, [&] { return (question = BoxOf(uninstaller)) != nullptr; })) << "no question";
    EXPECT_EQ("Orvanta 4.00", SetupDriver::WindowText(question));
    EXPECT_EQ(std::string("Remove Orvanta 4.00 and all of its components from\r\n") + kDefaultDirectory + " ?",
              SetupDriver::MessageBoxText(question));
    EXPECT_TRUE(::GetDlgItem(question, IDNO));
    ASSERT_TRUE(SetupDriver::Answer(question, IDYES));
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(process.hProcess, kStepMs));
    ::CloseHandle(process.hProcess);
    ::CloseHandle(process.hThread);

    HWND done = nullptr;
    ASSERT_TRUE(WaitUntil(kInstallMs, [&] { return (done = BoxOf(RemovalCopies())) != nullptr; })) << "no report";
    EXPECT_EQ("Orvanta 4.00 was removed from your computer.", SetupDriver::MessageBoxText(done));
    ASSERT_TRUE(SetupDriver::Answer(done, IDOK));
    ExpectRemoved(kDefaultDirectory, kDefaultGroup);
    EXPECT_FALSE(Exists(kDefaultDirectory));
}

} // namespace
} // namespace e2e
