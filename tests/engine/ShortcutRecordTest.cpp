// The end of an installation: program group and shortcuts as lang.ini asks for them, the
// desktop shortcut, and the install record in HKCU\Software\Orvanta.
#include <thread>

#include "ProfileTest.h"

using FinishTest = ProfileTest;

// A malformed entry is skipped, a link path too long for the system saves nothing, and
// two entries of one name (one of them the application's own shortcut, made last) make
// one shortcut. Every shortcut has the hot key Ctrl+Shift+R; the application's carry its
// icon. COM is left as it was found on every way out of a shortcut: on a thread of its
// own, the finish leaves COM uninitialised. The record is replaced as a whole, values of
// an earlier one included, in a volatile key.
TEST_F(FinishTest, ShortcutsFollowLangIniAndTheRecordIsReplaced)
{
    CreateRecord({{"InstallPath", "C:\\old"}, {"ProgramGroup", "Old"}, {"DesktopName", "Old"}, {"Repair", "0"}});
    const std::string directory = scratch.file("inst");
    ASSERT_TRUE(MakeTree(directory, {}) && MakeTree(scratch.file("second"), {}));
    NewEngine(directory, {},
              "[link]\r\ncount=6\r\nlink1=Readme#readme.txt\r\nlink2=broken\r\nlink3=Twice#first.txt\r\n"
              "link4=Twice#second.txt\r\nlink5=OrvantaTest App#readme.txt\r\nlink6="
                  + std::string(300 - Group().size(), 'L') + "#x.txt\r\n");
    std::thread([&] {
        EXPECT_TRUE(engine->FinishInstall());
        EXPECT_EQ(S_OK, ::CoInitialize(nullptr)) << "the finish left COM initialised";
        ::CoUninitialize();
    }).join();
    EXPECT_EQ(Names({"OrvantaTest App.lnk", "Readme.lnk", "Twice.lnk", "Uninstall.lnk"}),
              InstallReport::ListTree(Group()));
    const struct {
        std::string link, target, icon;
    } links[] = {{Group() + "\\Twice.lnk", "second.txt", ""},
                 {Group() + "\\" + kApp + ".lnk", "terminal.exe", directory + "\\terminal.ico"},
                 {DesktopLink(), "terminal.exe", directory + "\\terminal.ico"}};
    for (const auto& want : links) {
        SCOPED_TRACE(want.link);
        ShortcutInfo info = InstallReport::ReadShortcut(want.link);
        ASSERT_TRUE(info.readable);
        EXPECT_EQ(0, ::lstrcmpiA((directory + "\\" + want.target).c_str(), info.target.c_str())) << info.target;
        EXPECT_EQ(want.icon, info.iconPath);
        EXPECT_EQ(0x0352, info.hotKey);
    }
    const char* const record[][2] = {{"InstallPath", directory.c_str()}, {"ProgramGroup", kGroup},
                                     {"DesktopName", kApp}, {"SetupName", "OrvantaTest Setup"}, {"Repair", ""}};
    for (const auto& value : record)
        EXPECT_EQ(value[1], InstallReport::RecordValue(value[0])) << value[0];
    EXPECT_FALSE(RegKey().Create(HKEY_CURRENT_USER, "Software\\Orvanta\\Settings")) << "a lasting subkey";
    // A subkey keeps the key alive through its deletion; the values still go.
    ASSERT_TRUE(RegKey().Create(HKEY_CURRENT_USER, "Software\\Orvanta\\Settings", REG_OPTION_VOLATILE));
    ASSERT_TRUE(NewEngine(scratch.file("second")).FinishInstall());
    EXPECT_EQ(scratch.file("second"), InstallReport::RecordValue("InstallPath"));
    // Without its install directory the run has nowhere to keep its log, and fails.
    EXPECT_FALSE(NewEngine(scratch.file("none")).FinishInstall());
}
