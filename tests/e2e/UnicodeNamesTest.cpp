// A product whose names no single code page holds, packed from its folder and from a
// 7-Zip archive (made on the host by make-unicode-product.sh), installed through the
// wizard into a directory and group of such names and removed by its generic uninstaller.
// CTest runs it under code pages 936 and 1252: the names are the same on both.
#include "E2eFixture.h"

#include "framework/SpecialFolder.h"
#include "framework/WideText.h"

#include <shlobj.h>
#include "remover/InstallLog.h"
#include "tools/SetupBuilder.h"

namespace e2e {
namespace {

const std::string kUnicode = WinPath(ORVANTA_UNICODE_DIR);

// The product's names in UTF-8 as the file system must hold them, sorted by their bytes.
const std::vector<std::string> kNames = {
    "café.txt",
    "docs\\",
    "docs\\licence.txt",
    "readme.txt",
    "terminal.exe",
    "terminal.ico",
    "Документы\\",
    "Документы\\Отчёт.txt",
    "ひらがなカタカナ.txt",
    "中文说明.txt",
    "音符𝄞.txt",
    "한국어 폴더\\",
    "한국어 폴더\\안내.txt",
};
// The names the host script wrote into files of their own, with '/'.
const char* const kNamedFiles[] = {"café.txt", "Документы/Отчёт.txt", "ひらがなカタカナ.txt", "中文说明.txt",
                                   "音符𝄞.txt", "한국어 폴더/안내.txt"};

class UnicodeNamesTest : public E2eTest {
protected:
    // The group is not one CleanProfile knows.
    void TearDown() override
    {
        std::error_code ec;
        std::filesystem::remove_all(FsPath(GroupFolder(kGroupName)), ec);
        E2eTest::TearDown();
    }
    static constexpr const char* kGroupName = "E2E 그룹 Ω é";
};

TEST_F(UnicodeNamesTest, InstallAndRemoveUnderExactlyTheirNames)
{
    ASSERT_EQ(kNames, InstallReport::ListTree(kUnicode + "\\product")) << "made by e2e_unicode_product";
    const std::string directory = scratch_.str() + "\\Orvanta 한국 Ω é 𝄞";
    for (const char* source : {"product", "7zip.zip"}) {
        SCOPED_TRACE(source);
        const std::string setup = Pack("setup", kUnicode + "\\" + source);
        ASSERT_NO_FATAL_FAILURE(Install(setup, Choices{directory, false, kGroupName}));
        ExpectInstalled(directory, kGroupName, setup, kUnicode + "\\product");
        std::vector<std::string> installed = kNames;
        installed.push_back("Uninstall.exe");
        installed.push_back(InstallLog::FileName);
        std::sort(installed.begin(), installed.end());
        EXPECT_EQ(installed, InstallReport::ListTree(directory));
        for (std::string name : kNamedFiles) {
            const std::string content = name + "\n";
            std::replace(name.begin(), name.end(), '/', '\\');
            EXPECT_EQ(content, ReadBytes(directory + "\\" + name)) << name;
        }

        const std::string own = "메모 mine 𝄞.txt";
        WriteBytes(directory + "\\" + own, "mine");
        SetupDriver uninstaller;
        DWORD code = 99;
        ASSERT_TRUE(uninstaller.Start(directory + "\\Uninstall.exe", "/S") && uninstaller.WaitForExit(kInstallMs, &code));
        EXPECT_EQ(0u, code);
        EXPECT_TRUE(WaitUntil(kInstallMs, [] { return Processes("Uninstall.exe").empty(); }));
        EXPECT_EQ(std::vector<std::string>{own}, InstallReport::ListTree(directory)) << "the user's own stays";
        EXPECT_EQ("mine", ReadBytes(directory + "\\" + own));
        EXPECT_FALSE(Exists(GroupFolder(kGroupName)) || Exists(DesktopLink())) << "the product's links";
        EXPECT_FALSE(InstallReport::RecordExists()) << InstallReport::Describe();
        FileApi::RemoveFile(directory + "\\" + own);
        FileApi::RemoveFolder(directory);
    }
}

// Run only by the e2e_profile_outside_code_page test, in a Wine prefix of its own made for
// a user with a Korean name on a machine of code page 936: the profile, and with it the
// working folder below the templates folder and the temporary folder where the
// uninstaller's copy runs, holds characters that the code page cannot. The demo unpacks
// there, installs, and its uninstaller asks and removes it.
TEST_F(E2eTest, DISABLED_ProfileNameOutsideTheCodePage)
{
    const std::wstring work = WideText::FromUtf8(InstallReport::WorkFolder());
    BOOL lost = FALSE;
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, work.c_str(), int(work.size()), nullptr, 0, nullptr, &lost);
    ASSERT_TRUE(lost) << InstallReport::WorkFolder() << ": a name the code page holds proves nothing here";
    // The user starts it from the profile's own Downloads. The packer, the publisher's
    // tool, writes where it can (orvapack.exe opens only paths of the code page).
    const std::string packed = "C:\\orvanta-packed", downloads = SpecialFolder::Path(CSIDL_PROFILE) + "\\Downloads",
                      setup = downloads + "\\OrvantaSetup.exe", directory = kDefaultDirectory;
    std::string error;
    SetupInputs inputs{kSetupStub, kDemoProduct, WinPath(ORVANTA_DEMO_DIR "/lang.ini"),
                       WinPath(ORVANTA_DEMO_DIR "/top_log.bmp"), packed + "\\setup.exe"};
    ASSERT_TRUE((FileApi::MakeFolder(packed) || Exists(packed)) && SetupBuilder::BuildSetup(inputs, error)) << error;
    ASSERT_TRUE((FileApi::MakeFolder(downloads) || Exists(downloads)) && FileApi::Copy(inputs.out, setup, false));
    Choices choices;
    choices.onFirstPage = [](SetupDriver&) {
        EXPECT_TRUE(Exists(WorkInstallFolder() + "\\lang.ini")) << "unpacked into " << WorkInstallFolder();
    };
    ASSERT_NO_FATAL_FAILURE(Install(setup, choices));
    ExpectInstalled(directory, kTitle, setup);

    WriteBytes(directory + "\\my notes.txt", "mine");
    SetupDriver uninstaller;
    ASSERT_TRUE(uninstaller.Start(directory + "\\Uninstall.exe"));
    HWND question = uninstaller.WaitForMessageBox(kStepMs), report = nullptr;
    ASSERT_TRUE(question && SetupDriver::Answer(question, IDYES)) << "no question";
    ASSERT_TRUE(WaitUntil(kInstallMs, [&] { return (report = SetupDriver::FindMessageBox(0)) && report != question; }));
    EXPECT_EQ("Orvanta 4.00 已经从您的计算机中移除.", SetupDriver::MessageBoxText(report));
    ASSERT_TRUE(SetupDriver::Answer(report, IDOK));
    DWORD code = 99;
    EXPECT_TRUE(uninstaller.WaitForExit(kStepMs, &code) && code == 0) << code;
    ExpectRemoved(directory);
    FileApi::RemoveFile(setup);
    std::error_code ec;
    std::filesystem::remove_all(FsPath(packed), ec);
}

} // namespace
} // namespace e2e
