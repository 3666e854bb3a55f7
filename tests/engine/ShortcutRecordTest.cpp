// The end of an installation: program group and shortcuts as lang.ini asks for them, the
// desktop shortcut, and the install record in HKCU\Software\Orvanta.
#include <shlobj.h>
#include <shobjidl.h>

#include <thread>

#include "ProfileTest.h"
#include "framework/ComPtr.h"
#include "framework/ScopedCoInit.h"

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

// A program group, a shortcut and an install directory named in Korean and with a character
// outside the Basic Multilingual Plane are made under those names, on any code page; the
// shortcut leads to the product's file by its true path, and the record holds the group.
TEST_F(FinishTest, GroupsAndShortcutsKeepNamesOutsideTheCodePage)
{
    const std::string group = "\xEA\xB7\xB8\xEB\xA3\xB9 \xF0\xA0\x80\x80";        // 그룹 U+20000
    const std::string link = "\xEB\xB0\x94\xEB\xA1\x9C \xF0\x9F\x98\x80.lnk";     // 바로 U+1F600.lnk
    const std::string directory = scratch.str() + "\\\xED\x95\x9C \xF0\x9F\x98\x80";  // 한 U+1F600
    const std::string groupFolder = InstallReport::ProgramsFolder() + "\\" + group;
    const std::string desktopLink = InstallReport::DesktopFolder() + "\\" + link;
    std::error_code error;
    auto clean = [&] {
        std::filesystem::remove_all(std::filesystem::path(WideText::FromUtf8(groupFolder)), error);
        std::filesystem::remove(std::filesystem::path(WideText::FromUtf8(desktopLink)), error);
    };
    clean();
    ASSERT_TRUE(MakeTree(directory, {}));
    NewEngine(directory).SetProgramGroup(group);
    ASSERT_TRUE(engine->FinishInstall());
    EXPECT_TRUE(engine->CreateGroupShortcut("terminal.exe", link, "terminal.ico"));
    EXPECT_TRUE(engine->CreateDesktopShortcut("terminal.exe", link, ""));
    EXPECT_EQ(Names({"OrvantaTest App.lnk", "Uninstall.lnk", link}), WideTree(groupFolder));
    for (const std::string& path : {groupFolder + "\\" + link, desktopLink}) {
        SCOPED_TRACE(path);
        ScopedCoInit com;
        ComPtr<IShellLinkW> shell;
        ComPtr<IPersistFile> file;
        // The link's item list, not its path field: Wine keeps that field in the code page only.
        wchar_t target[MAX_PATH] = {};
        LPITEMIDLIST items = nullptr;
        ASSERT_TRUE(SUCCEEDED(shell.CreateInstance(CLSID_ShellLink, IID_IShellLinkW)) &&
                    SUCCEEDED(shell.As(file, IID_IPersistFile)) &&
                    SUCCEEDED(file->Load(WideText::FromUtf8(path).c_str(), STGM_READ)) &&
                    SUCCEEDED(shell->GetIDList(&items)));
        EXPECT_TRUE(::SHGetPathFromIDListW(items, target));
        ::CoTaskMemFree(items);
        EXPECT_TRUE(WideText::SameIgnoringCase(directory + "\\terminal.exe", WideText::ToUtf8(target)))
            << WideText::ToUtf8(target);
    }
    std::string recorded;
    RegKey record;
    ASSERT_TRUE(record.Open(HKEY_CURRENT_USER, InstallRecordKey::Path));
    EXPECT_TRUE(record.QueryString(InstallRecordKey::ProgramGroup, recorded));
    EXPECT_EQ(group, recorded);
    clean();
}

// The record an earlier setup wrote through the code page's functions reads as the same
// text. Values count in characters: 79 Chinese characters are read (the limit), 80 are not.
TEST_F(FinishTest, RecordValuesReadInCharactersWhicheverFunctionWroteThem)
{
    const std::string shuo = "\xE8\xAF\xB4";  // 说
    const struct {
        UINT codePage;
        std::string bytes, text;
    } earlier[] = {
        {936, "\xCB\xB5\xC3\xF7", shuo + "\xE6\x98\x8E"},  // 说明
        {1252, "\xE9t\xE9", "\xC3\xA9t\xC3\xA9"},           // été
    };
    const auto* mine = std::find_if(std::begin(earlier), std::end(earlier),
                                    [](const auto& row) { return row.codePage == ::GetACP(); });
    ASSERT_NE(std::end(earlier), mine) << "no text for code page " << ::GetACP();
    NewEngine(scratch.file("inst"));
    RegKey key;
    ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, InstallRecordKey::Path, REG_OPTION_VOLATILE));
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExA(key.get(), "DesktopName", 0, REG_SZ,
                                              reinterpret_cast<const BYTE*>(mine->bytes.c_str()),
                                              DWORD(mine->bytes.size() + 1)));
    EXPECT_EQ(mine->text, engine->ReadRecordValue("DesktopName"));

    std::string chinese79;
    for (int i = 0; i < 79; ++i)
        chinese79 += shuo;
    ASSERT_TRUE(key.SetString("InstallPath", chinese79) && key.SetString("ProgramGroup", chinese79 + "x"));
    EXPECT_EQ(chinese79, engine->ReadRecordValue("InstallPath"));
    EXPECT_EQ("", engine->ReadRecordValue("ProgramGroup"));
}

// A value already in the record is kept by a later write up to 256 characters with its
// terminating zero, however many bytes its characters take.
TEST_F(FinishTest, AValueAlreadyRecordedIsKeptUpTo256Characters)
{
    std::string kept;
    for (int i = 0; i < 255; ++i)
        kept += "\xE8\xAF\xB4";  // 说
    NewEngine(scratch.file("inst"));
    RegKey key;
    ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, InstallRecordKey::Path, REG_OPTION_VOLATILE));
    ASSERT_TRUE(key.SetString("SetupName", kept) && key.SetString("Install", kept + "x"));
    engine->WriteRecordValue("SetupName", "new");
    engine->WriteRecordValue("Install", "new");
    std::string value;
    EXPECT_TRUE(key.QueryString("SetupName", value) && value == kept) << "255 characters and the zero are kept";
    EXPECT_TRUE(key.QueryString("Install", value) && value == "new") << "257 are replaced";
}
