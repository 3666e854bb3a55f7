// The generic Uninstall.exe where it must not remove anything: its own folder is what it
// removes from, so a drive root, a system folder or a missing list makes it refuse.
#include "E2eFixture.h"

#include "tools/FileBytes.h"
#include "tools/ProductUninstaller.h"

namespace e2e {
namespace {

using UninstallTest = E2eTest;

// Refused with /S silently, otherwise saying so; either way the listed file stays, the
// program ends with its refusal code and leaves no working folder.
TEST_F(UninstallTest, RefusesADriveRootASystemFolderAndAMissingList)
{
    const std::string refusedZh =   // 卸载程序不能在此目录中执行：
        "\xD0\xB6\xD4\xD8\xB3\xCC\xD0\xF2\xB2\xBB\xC4\xDC\xD4\xDA\xB4\xCB\xC4\xBF\xC2\xBC\xD6\xD0\xD6\xB4\xD0\xD0\xA3\xBA";
    std::vector<uint8_t> listed, bare, lang;
    std::string error;
    ASSERT_TRUE(FileBytes::Read(DemoLang(), lang, error)) << error;
    ASSERT_TRUE(ProductUninstaller::MakeProgram(UninstallerBesideStub(), lang, "F victim.txt\r\n", listed, error))
        << error;
    ASSERT_TRUE(FileBytes::Read(UninstallerBesideStub(), bare, error)) << error;
    struct Case {
        std::string folder;
        const std::vector<uint8_t>& program;
        bool silent;
    } cases[] = {
        {"C:", listed, true},
        {"C:\\Program Files", listed, false},
        {scratch_.str(), bare, true},
    };
    for (const Case& c : cases) {
        std::string program = c.folder + "\\Uninstall.exe", victim = c.folder + "\\victim.txt";
        ASSERT_TRUE(FileBytes::Write(program, {&c.program}, error)) << error;
        WriteBytes(victim, "listed");
        SetupDriver run;
        ASSERT_TRUE(run.Start(program, c.silent ? "/S" : ""));
        if (!c.silent) {
            HWND box = run.WaitForMessageBox(kStepMs);
            ASSERT_TRUE(box) << c.folder;
            EXPECT_EQ(kTitle, SetupDriver::WindowText(box));
            EXPECT_EQ(refusedZh + "\r\n\r\n" + c.folder, SetupDriver::MessageBoxText(box));
            ASSERT_TRUE(SetupDriver::Answer(box, IDOK));
        }
        DWORD code = 0;
        EXPECT_TRUE(run.WaitForExit(kStepMs, &code));
        EXPECT_EQ(2u, code) << c.folder;
        EXPECT_EQ("listed", ReadBytes(victim)) << c.folder;
        EXPECT_TRUE(TempEntries("OrvantaUninstall-").empty()) << c.folder;
        ::DeleteFileA(program.c_str());
        ::DeleteFileA(victim.c_str());
    }
}

} // namespace
} // namespace e2e
