// Two real setup.exe processes: the second shows the warning with the title of its own
// container, never the wizard, and leaves the first's working folder and the record alone.
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "i18n/LanguageTable.h"
#include "support/ScratchDir.h"

namespace {

std::string SetupExe()
{
    // The build tree is reached through Wine's drive Z:, the Linux root.
    std::string path = "Z:" + std::string(ORVANTA_SETUP_EXE);
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

struct Process {
    PROCESS_INFORMATION info{};
    bool Start(const std::string& exe)
    {
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        std::string command = "\"" + exe + "\"";
        return ::CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info);
    }
    bool WaitEnd(DWORD ms) { return ::WaitForSingleObject(info.hProcess, ms) == WAIT_OBJECT_0; }
    ~Process()
    {
        if (info.hProcess) {
            if (!WaitEnd(0))
                ::TerminateProcess(info.hProcess, 1);
            ::CloseHandle(info.hProcess);
            ::CloseHandle(info.hThread);
        }
    }
};

struct FileState {
    std::string content;
    FILETIME written{};
};

FileState StateOf(const std::string& path)
{
    FileState state;
    state.content = apptest::ReadFile(path);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        state.written = data.ftLastWriteTime;
    return state;
}

bool RecordExists()
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Orvanta", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

// Starts a refused instance and checks its warning; false when it did not behave.
void ExpectRefused(const std::string& setup, const std::string& title)
{
    Process second;
    ASSERT_TRUE(second.Start(setup));
    HWND box = apptest::FindWindowOf(second.info.dwProcessId, apptest::IsDialogBox, 20000);
    ASSERT_TRUE(box) << "no warning";
    EXPECT_EQ(title, apptest::Caption(box));
    EXPECT_EQ("Another instance of " + title + " setup is running", apptest::BoxText(box));
    EXPECT_EQ(box, apptest::FindWindowOf(second.info.dwProcessId, [](HWND) { return true; }, 0))
        << "the warning is the refused instance's only window";
    EXPECT_FALSE(::GetDlgItem(box, 1001)) << "no wizard";
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(second.WaitEnd(20000));
}

TEST(SecondInstanceTest, ARefusedInstanceWarnsWithItsOwnTitleAndLeavesTheFirstAlone)
{
    testsupport::ScratchDir scratch;
    ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Orvanta");
    std::string work = LanguageTable::GetWorkFolder() + "install";
    std::string first = apptest::PackSetup(scratch.str(), "first", SetupExe(), "[install]\r\ntitle=First Setup Title\r\n");
    std::string second = apptest::PackSetup(scratch.str(), "second", SetupExe(), "[install]\r\ntitle=Second Setup Title\r\n");
    std::string bare = apptest::PackSetup(scratch.str(), "bare", SetupExe(), "");

    Process running;
    ASSERT_TRUE(running.Start(first));
    HWND frame = apptest::FindWindowOf(
        running.info.dwProcessId, [](HWND hwnd) { return apptest::Caption(hwnd) == "First Setup Title"; }, 30000);
    ASSERT_TRUE(frame) << "the first instance shows its wizard";
    FileState lang = StateOf(work + "\\lang.ini");
    FileState payload = StateOf(work + "\\Orva.in");
    ASSERT_EQ("[install]\r\ntitle=First Setup Title\r\n", lang.content);
    int privateFolders = apptest::CountTempEntries("orvanta-title-");

    ::Sleep(1100);   // a rewrite would show in the write times
    ExpectRefused(second, "Second Setup Title");
    ExpectRefused(bare, "Orvanta 4.00");

    FileState langAfter = StateOf(work + "\\lang.ini");
    FileState payloadAfter = StateOf(work + "\\Orva.in");
    EXPECT_EQ(lang.content, langAfter.content);
    EXPECT_EQ(0, ::CompareFileTime(&lang.written, &langAfter.written));
    EXPECT_EQ(payload.content, payloadAfter.content);
    EXPECT_EQ(0, ::CompareFileTime(&payload.written, &payloadAfter.written));
    EXPECT_FALSE(RecordExists()) << "the refused instances wrote no record";
    EXPECT_EQ(privateFolders, apptest::CountTempEntries("orvanta-title-"));
    EXPECT_TRUE(::IsWindowVisible(frame)) << "the first wizard runs on";

    // The first instance leaves by its own close question and cancel page.
    ::PostMessageA(frame, WM_CLOSE, 0, 0);
    HWND question = apptest::FindWindowOf(
        running.info.dwProcessId, [frame](HWND hwnd) { return hwnd != frame && apptest::IsDialogBox(hwnd); }, 20000);
    ASSERT_TRUE(question);
    ::PostMessageA(question, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
    ::Sleep(500);
    ::PostMessageA(::GetDlgItem(frame, 1003), BM_CLICK, 0, 0);
    EXPECT_TRUE(running.WaitEnd(30000));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(work.c_str())) << "the first cleaned up at its exit";
    EXPECT_FALSE(RecordExists());
}

} // namespace
