// The end of an installation: program group and shortcuts as lang.ini asks for them, the
// desktop shortcut, and the install record in HKCU\Software\Orvanta.
#include "ProfileTest.h"

#include "InstallReport.h"

using FinishTest = ProfileTest;

// Malformed entries are skipped, a link path too long for the system saves nothing, and
// two entries of one name (one of them the application's own shortcut, made last) make
// one shortcut. Every shortcut has the hot key Ctrl+Shift+R; the application's carry its
// icon.
TEST_F(FinishTest, ShortcutsFollowLangIni)
{
    std::string longName(300 - Group().size(), 'L');
    const std::string directory = scratch.file("inst");
    NewEngine(directory, "",
              "[link]\r\ncount=8\r\nlink1=Readme#readme.txt\r\nlink2=broken\r\nlink3=#nameless\r\n"
              "link4=Manual#m.pdf\r\nlink5=Twice#first.txt\r\nlink6=Twice#second.txt\r\n"
              "link7=OrvantaTest App#readme.txt\r\nlink8="
                  + longName + "#x.txt\r\n");
    ASSERT_TRUE(engine->FinishInstall());
    EXPECT_EQ(std::vector<std::string>(
                  {"Manual.lnk", "OrvantaTest App.lnk", "Readme.lnk", "Twice.lnk", "Uninstall.lnk"}),
              Entries(Group()));
    const struct {
        std::string link, target, icon;
    } links[] = {{Group() + "\\Readme.lnk", "readme.txt", ""},
                 {Group() + "\\Uninstall.lnk", "Uninstall.exe", ""},
                 {Group() + "\\" + kApp + ".lnk", "terminal.exe", directory + "\\terminal.ico"},
                 {DesktopLink(), "terminal.exe", directory + "\\terminal.ico"}};
    for (const auto& want : links) {
        ShortcutInfo info = InstallReport::ReadShortcut(want.link);
        ASSERT_TRUE(info.readable) << want.link;
        EXPECT_EQ(0, ::lstrcmpiA((directory + "\\" + want.target).c_str(), info.target.c_str())) << info.target;
        EXPECT_EQ(want.icon, info.iconPath) << want.link;
        EXPECT_EQ(0x0352, info.hotKey) << want.link;
    }
}

// Every installation replaces the whole record, values of an earlier one included.
TEST_F(FinishTest, EachInstallationReplacesTheRecordInAVolatileKey)
{
    CreateRecord({{"InstallPath", "C:\\old"}, {"ProgramGroup", "Old"}, {"DesktopName", "Old"}, {"Repair", "0"}});
    ASSERT_TRUE(NewEngine(scratch.file("inst")).FinishInstall());
    EXPECT_EQ(scratch.file("inst"), RecordValue("InstallPath"));
    EXPECT_EQ(kGroup, RecordValue("ProgramGroup"));
    EXPECT_EQ(kApp, RecordValue("DesktopName"));
    EXPECT_EQ("OrvantaTest Setup", RecordValue("SetupName"));
    EXPECT_EQ(InstallEngine::GetSetupPath(), RecordValue("Install"));
    EXPECT_EQ("<absent>", RecordValue("Repair"));
    HKEY sub = nullptr;
    EXPECT_EQ(ERROR_CHILD_MUST_BE_VOLATILE, ::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Orvanta\\Settings", 0,
                                                              nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr));
    // A subkey keeps the key alive through its deletion; the values still go.
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Orvanta\\Settings", 0, nullptr,
                                               REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &sub, nullptr));
    ::RegCloseKey(sub);
    ASSERT_TRUE(NewEngine(scratch.file("second")).FinishInstall());
    EXPECT_EQ(scratch.file("second"), RecordValue("InstallPath"));
}
