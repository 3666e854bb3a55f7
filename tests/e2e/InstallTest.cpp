// The real, packed setup.exe installing the demo product, driven from outside as a
// person would: each language, the licence gate, the directory question, typed
// directories and groups, the repair start and the finish page's launch.
#include "E2eFixture.h"

#include <tlhelp32.h>

#include "InstallReport.h"

namespace e2e {
namespace {

// Code page 936 bytes of the built-in texts the Chinese run checks.
const std::string kNextZh = "\xCF\xC2\xD2\xBB\xB2\xBD >";                 // 下一步 >
const std::string kBackZh = "< \xC9\xCF\xD2\xBB\xB2\xBD";                 // < 上一步
const std::string kCancelZh = "\xB7\xC5\xC6\xFA";                         // 放弃
const std::string kAcceptZh =                                             // 是，我接受所有的授权合约
    "\xCA\xC7\xA3\xAC\xCE\xD2\xBD\xD3\xCA\xDC\xCB\xF9\xD3\xD0\xB5\xC4\xCA\xDA\xC8\xA8\xBA\xCF\xD4\xBC";
const std::string kFinishZh =                                             // 已经安装完成. / 请按确定键来离开安装程序
    "Orvanta 4.00\xD2\xD1\xBE\xAD\xB0\xB2\xD7\xB0\xCD\xEA\xB3\xC9.\r\n"
    "\xC7\xEB\xB0\xB4\xC8\xB7\xB6\xA8\xBC\xFC\xC0\xB4\xC0\xEB\xBF\xAA\xB0\xB2\xD7\xB0\xB3\xCC\xD0\xF2";
const std::string kChineseName = "\xBC\xF2\xCC\xE5\xD6\xD0\xCE\xC4";     // 简体中文

struct PageTexts {
    std::string next, back, cancel, accept, finish;
};

// Waits for a control to show a text: pages and buttons take their texts when they paint.
void ExpectText(SetupDriver& d, int id, const std::string& text)
{
    EXPECT_TRUE(WaitUntil(kStepMs, [&] { return d.Text(id) == text; }))
        << "control " << id << " reads \"" << d.Text(id) << "\", not \"" << text << "\"";
}

std::vector<DWORD> ProcessesNamed(const char* exeName)
{
    std::vector<DWORD> found;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32First(snapshot, &entry); more; more = ::Process32Next(snapshot, &entry))
        if (::lstrcmpiA(entry.szExeFile, exeName) == 0)
            found.push_back(entry.th32ProcessID);
    ::CloseHandle(snapshot);
    return found;
}

std::string ImageOf(DWORD processId)
{
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    char path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (process) {
        ::QueryFullProcessImageNameA(process, 0, path, &size);
        ::CloseHandle(process);
    }
    return path;
}

void EndProcess(DWORD processId)
{
    HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
    if (process) {
        ::TerminateProcess(process, 0);
        ::WaitForSingleObject(process, 10000);
        ::CloseHandle(process);
    }
}

class InstallTest : public E2eTest {
protected:
    // The whole road in one language, with that language's texts checked on the way.
    void InstallInLanguage(int language, const PageTexts& texts, const std::string& directory)
    {
        std::string setup = Pack(language == 0 ? "setup-zh" : "setup-en");
        SetupDriver d;
        ASSERT_TRUE(d.Start(setup));
        ASSERT_TRUE(d.WaitForFrame(kStepMs));
        ASSERT_TRUE(d.WaitForPage(0, kStepMs));
        std::vector<std::string> names = d.ListItems(1006);
        ASSERT_EQ((std::vector<std::string>{kChineseName, "English"}), names);
        ASSERT_TRUE(Exists(WorkInstallFolder() + "\\lang.ini")) << "the container is unpacked while the wizard runs";
        if (language > 0) {
            ASSERT_TRUE(d.SelectListIndex(1006, language));
        }
        ASSERT_TRUE(d.Press(1001));
        ASSERT_TRUE(d.WaitForPage(1, kStepMs));
        ExpectText(d, 1001, texts.next);
        ExpectText(d, 1002, texts.back);
        ExpectText(d, 1003, texts.cancel);
        ASSERT_TRUE(d.Press(1001));
        ASSERT_TRUE(d.WaitForPage(2, kStepMs));
        ExpectText(d, 1010, texts.accept);
        ASSERT_TRUE(d.Press(1010));
        ASSERT_TRUE(WaitUntil(kStepMs, [&] { return d.IsEnabled(1001); }));
        ASSERT_TRUE(d.Press(1001));
        ASSERT_TRUE(d.WaitForPage(3, kStepMs));
        EXPECT_EQ(kDefaultDirectory, d.Text(1015)) << "the proposal of the demo's lang.ini";
        if (!directory.empty()) {
            ASSERT_TRUE(d.SetText(1015, directory));
        }
        ASSERT_TRUE(d.Press(1001));
        ASSERT_TRUE(d.WaitForPage(4, kStepMs));
        EXPECT_EQ(kDefaultGroup, d.Text(1019));
        ASSERT_TRUE(d.Press(1001));
        ASSERT_TRUE(d.WaitForPage(5, kStepMs));
        ASSERT_NO_FATAL_FAILURE(InstallFromConfirm(d));
        ExpectText(d, 1017, texts.finish);
        ExpectText(d, 1003, "OK");
        EXPECT_FALSE(d.IsVisible(1001));
        EXPECT_FALSE(d.IsVisible(1002));
        ASSERT_NO_FATAL_FAILURE(LeaveFinishPage(d, false));
        std::string installed = directory.empty() ? std::string(kDefaultDirectory) : directory;
        ExpectInstalled(installed, kDefaultGroup, setup);
    }
};

TEST_F(InstallTest, ChineseIntoTheProposedDirectory)
{
    InstallInLanguage(0, {kNextZh, kBackZh, kCancelZh, kAcceptZh, kFinishZh}, std::string());
}

TEST_F(InstallTest, EnglishIntoATypedDirectory)
{
    std::string directory = scratch_.file("Orvanta English");
    InstallInLanguage(1, {"Next >", "< Back", "Cancel", "Yes, I accept all terms of the licence agreement",
                          "Orvanta 4.00 has been installed.\r\nPress OK to leave setup."},
                      directory);
}

} // namespace
} // namespace e2e
