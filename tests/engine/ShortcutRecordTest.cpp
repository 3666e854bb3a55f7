// The end of an installation: program group and shortcuts as lang.ini asks for them,
// the desktop shortcut, and the install record in HKCU\Software\Orvanta.
#include <algorithm>

#include "NoticeRecorder.h"
#include "ProfileTest.h"
#include "engine/InstallEngine.h"

namespace {

const char kGroup[] = "OrvantaTest Group";
const char kApp[] = "OrvantaTest App";

class FinishTest : public ProfileTest {
protected:
    void SetUp() override
    {
        ProfileTest::SetUp();
        Owns(kGroup, kApp);
        engine.reset(new InstallEngine(scratch.file("none.exe")));
        installDir = scratch.file("inst");
        engine->SetInstallDirectory(installDir);
        engine->SetProgramGroup(kGroup);
    }
    void TearDown() override
    {
        engine.reset();
        ProfileTest::TearDown();
    }

    void LangIni(const std::string& links)
    {
        PutLangIni(std::string("[install]\r\ntitle=OrvantaTest Setup\r\ninstallname=") + kApp + "\r\n" + links);
    }
    std::string Group() const { return ProgramsFolder() + kGroup; }
    std::string InGroup(const std::string& link) const { return Group() + "\\" + link; }

    std::unique_ptr<InstallEngine> engine;
    std::string installDir;
};

} // namespace

TEST_F(FinishTest, ShortcutsFollowLangIniAndCarryTheHotKey)
{
    // The application's own shortcut comes after the link entries and replaces one of its name.
    LangIni("[link]\r\ncount=7\r\nlink1=Readme#readme.txt\r\nlink2=broken\r\nlink3=#nameless\r\n"
            "link4=Manual#docs\\manual.pdf\r\nlink5=Twice#first.txt\r\nlink6=Twice#second.txt\r\nlink7=" +
            std::string(kApp) + "#readme.txt\r\n");
    ASSERT_TRUE(engine->FinishInstall());
    std::vector<std::string> expected = {"Manual.lnk", std::string(kApp) + ".lnk", "Readme.lnk", "Twice.lnk",
                                         "Uninstall.lnk"};
    EXPECT_EQ(expected, Entries(Group()));

    LinkInfo readme = ReadLink(InGroup("Readme.lnk"));
    ASSERT_TRUE(readme.loaded);
    EXPECT_EQ(installDir + "\\readme.txt", readme.path);
    EXPECT_EQ("", readme.iconPath);
    EXPECT_EQ(0x0352, readme.hotkey);
    EXPECT_EQ(installDir + "\\docs\\manual.pdf", ReadLink(InGroup("Manual.lnk")).path);
    // Entries are made in their order: the later of two with one name replaces the first.
    EXPECT_EQ(installDir + "\\second.txt", ReadLink(InGroup("Twice.lnk")).path);

    for (const std::string& path : {InGroup(std::string(kApp) + ".lnk"), DesktopFolder() + kApp + ".lnk"}) {
        LinkInfo app = ReadLink(path);
        ASSERT_TRUE(app.loaded) << path;
        EXPECT_EQ(installDir + "\\terminal.exe", app.path);
        EXPECT_EQ(installDir + "\\terminal.ico", app.iconPath);
        EXPECT_EQ(0, app.iconIndex);
        EXPECT_EQ(0x0352, app.hotkey);
    }
    LinkInfo uninstall = ReadLink(InGroup("Uninstall.lnk"));
    EXPECT_EQ(installDir + "\\Uninstall.exe", uninstall.path);
    EXPECT_EQ("", uninstall.iconPath);
    EXPECT_EQ(0x0352, uninstall.hotkey);
}

TEST_F(FinishTest, AnOverlongLinkPathSavesNothingAndBreaksNothingElse)
{
    std::string longName(300 - Group().size(), 'L');
    LangIni("[link]\r\ncount=2\r\nlink1=" + longName + "#x.txt\r\nlink2=Short#y.txt\r\n");
    ASSERT_TRUE(engine->FinishInstall());
    EXPECT_EQ(std::vector<std::string>({std::string(kApp) + ".lnk", "Short.lnk", "Uninstall.lnk"}), Entries(Group()));
    EXPECT_EQ(installDir, RecordValue("InstallPath"));
}

TEST_F(FinishTest, AGroupWhoseParentIsMissingGetsNoShortcutsButTheRestIsDone)
{
    Owns("OrvantaTest Missing", "");
    engine->SetProgramGroup("OrvantaTest Missing\\Sub");
    LangIni("");
    ASSERT_TRUE(engine->FinishInstall());
    EXPECT_FALSE(Exists(ProgramsFolder() + "OrvantaTest Missing"));
    EXPECT_TRUE(ReadLink(DesktopFolder() + kApp + ".lnk").loaded);
    EXPECT_EQ("OrvantaTest Missing\\Sub", RecordValue("ProgramGroup"));
}

TEST_F(FinishTest, WithoutLinkEntriesTwoShortcutsAndARecordOfExactlyItsValuesInAVolatileKey)
{
    LangIni("");
    ASSERT_TRUE(engine->FinishInstall());
    EXPECT_EQ(std::vector<std::string>({std::string(kApp) + ".lnk", "Uninstall.lnk"}), Entries(Group()));
    std::vector<std::string> names = RecordValueNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(std::vector<std::string>({"DesktopName", "Install", "InstallPath", "ProgramGroup", "SetupName"}), names);
    EXPECT_EQ(installDir, RecordValue("InstallPath"));
    EXPECT_EQ(kGroup, RecordValue("ProgramGroup"));
    EXPECT_EQ(kApp, RecordValue("DesktopName"));
    EXPECT_EQ("OrvantaTest Setup", RecordValue("SetupName"));
    EXPECT_EQ(InstallEngine::GetSetupPath(), RecordValue("Install"));
    EXPECT_FALSE(InstallEngine::GetSetupPath().empty());
    EXPECT_EQ(installDir, engine->ReadRecordValue("InstallPath"));
    // Below a volatile key only volatile keys can be made.
    HKEY probe = nullptr;
    EXPECT_EQ(ERROR_CHILD_MUST_BE_VOLATILE,
              ::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Orvanta\\probe", 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_ALL_ACCESS, nullptr, &probe, nullptr));
}

TEST_F(FinishTest, ASecondInstallationReplacesEveryValue)
{
    LangIni("");
    ASSERT_TRUE(engine->FinishInstall());
    engine.reset(new InstallEngine(scratch.file("none.exe")));
    LangIni("");
    engine->SetInstallDirectory(scratch.file("second"));
    engine->SetProgramGroup(kGroup);
    CreateRecord({{"Repair", "0"}});
    ASSERT_TRUE(engine->FinishInstall());
    EXPECT_EQ(scratch.file("second"), RecordValue("InstallPath"));
    EXPECT_EQ("<absent>", RecordValue("Repair"));
}

TEST_F(FinishTest, ARecordKeyWithSubkeysStillGetsThisInstallationsValues)
{
    CreateRecord({{"InstallPath", "C:\\old"}, {"ProgramGroup", "Old"}, {"DesktopName", "Old"}});
    HKEY sub = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Orvanta\\Settings", 0, nullptr,
                                               REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &sub, nullptr));
    ::RegCloseKey(sub);
    LangIni("");
    ASSERT_TRUE(engine->FinishInstall());
    EXPECT_EQ(installDir, RecordValue("InstallPath"));
    EXPECT_EQ(kGroup, RecordValue("ProgramGroup"));
    EXPECT_EQ(kApp, RecordValue("DesktopName"));
}

// Values of more than seventy-nine characters read back empty; writing keeps a short
// value and replaces a long one.
TEST_F(FinishTest, LongRecordValuesReadEmptyAndAreReplacedShortOnesKept)
{
    CreateRecord({{"Short", "kept"}, {"Long", std::string(300, 'x')}, {"InstallPath", std::string(80, 'p')},
                  {"ProgramGroup", std::string(79, 'g')}});
    EXPECT_EQ("", engine->ReadRecordValue("InstallPath"));
    EXPECT_EQ(std::string(79, 'g'), engine->ReadRecordValue("ProgramGroup"));
    EXPECT_EQ("", engine->ReadRecordValue("Missing"));
    engine->WriteRecordValue("Software\\Orvanta", "Short", "new");
    engine->WriteRecordValue("Software\\Orvanta", "Long", "new");
    engine->WriteRecordValue("Software\\Orvanta", "Fresh", "new");
    EXPECT_EQ("kept", RecordValue("Short"));
    EXPECT_EQ("new", RecordValue("Long"));
    EXPECT_EQ("new", RecordValue("Fresh"));
}

TEST_F(FinishTest, NothingIsMadeAfterACancel)
{
    LangIni("");
    engine->RequestCancel();
    EXPECT_FALSE(engine->FinishInstall());
    EXPECT_FALSE(Exists(Group()));
    EXPECT_FALSE(Exists(DesktopFolder() + kApp + ".lnk"));
    EXPECT_FALSE(RecordExists());
}
