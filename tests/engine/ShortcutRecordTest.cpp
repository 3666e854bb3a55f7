// The end of an installation: program group and shortcuts as lang.ini asks for them, the
// desktop shortcut, and the install record in HKCU\Software\Orvanta.
#include "ProfileTest.h"

using FinishTest = ProfileTest;

// Malformed entries are skipped, a link path too long for the system saves nothing, and
// two entries of one name (one of them the application's own shortcut) make one shortcut.
TEST_F(FinishTest, ShortcutsFollowLangIni)
{
    std::string longName(300 - Group().size(), 'L');
    NewEngine(scratch.file("inst"), "",
              "[link]\r\ncount=8\r\nlink1=Readme#readme.txt\r\nlink2=broken\r\nlink3=#nameless\r\n"
              "link4=Manual#m.pdf\r\nlink5=Twice#first.txt\r\nlink6=Twice#second.txt\r\n"
              "link7=OrvantaTest App#readme.txt\r\nlink8="
                  + longName + "#x.txt\r\n");
    ASSERT_TRUE(engine->FinishInstall());
    EXPECT_EQ(std::vector<std::string>(
                  {"Manual.lnk", "OrvantaTest App.lnk", "Readme.lnk", "Twice.lnk", "Uninstall.lnk"}),
              Entries(Group()));
    EXPECT_TRUE(Exists(DesktopLink()));
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
