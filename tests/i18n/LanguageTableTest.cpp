#include "i18n/BuiltinTexts.h"
#include "i18n/LanguageTable.h"

#include "IniFile.h"
#include "support/ScratchDir.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class LanguageTableTest : public ::testing::Test {
protected:
    void TearDown() override { LanguageTable::Release(); }

    // The table, pointed at a lang.ini of this test's own folder holding bytes (none: no file).
    LanguageTable* Use(const char* bytes)
    {
        std::string path = dir_.file("lang.ini");
        if (bytes != nullptr)
            EXPECT_TRUE(testsupport::WriteBytes(path, bytes));
        LanguageTable* table = LanguageTable::Instance();
        table->SetFile(path);
        return table;
    }

    static void ExpectBuiltin(const LanguageRecord& record, int except = 0)
    {
        for (int identifier : TextId::All) {
            if (identifier != except) {
                EXPECT_EQ(BuiltinTexts::Get(identifier), record.Text(identifier)) << identifier;
            }
        }
    }

    static LOGFONTA LogFontOf(const CFont* font)
    {
        LOGFONTA logFont = {};
        EXPECT_EQ(static_cast<int>(sizeof(logFont)), font->GetLogFont(&logFont));
        return logFont;
    }

    testsupport::ScratchDir dir_;
};

TEST_F(LanguageTableTest, WithoutAFileEverythingIsBuiltIn)
{
    LanguageTable* table = Use(nullptr);
    EXPECT_EQ(1, table->GetCurrentLanguage());
    EXPECT_EQ(0, table->GetLanguageCount());
    EXPECT_EQ(1, table->GetDefaultLanguage());
    std::vector<std::string> names;
    table->GetLanguageNames(names);
    EXPECT_TRUE(names.empty());

    LanguageRecord record;
    record.font = 9;
    record.SetText(TextId::ButtonNext, "stale");
    table->FillCurrentRecord(record);
    EXPECT_EQ(0, record.font);
    ExpectBuiltin(record);
    EXPECT_EQ(table->GetFixedFont(), table->GetLanguageFont());

    InstallSettings settings;
    table->ReadInstallSettings(settings);
    EXPECT_EQ("Orvanta 4.00", settings.title);
    EXPECT_EQ("Orvanta 4.00", settings.group);
    EXPECT_EQ("Brenholt", settings.linkfrom);
    EXPECT_EQ("http://www.example.com/", settings.linkto);
    EXPECT_EQ("c:\\Program Files\\", settings.installpath);
    EXPECT_EQ("Orvanta 4.00", settings.installname);
    EXPECT_EQ("", settings.states);

    EXPECT_EQ(0, table->GetLinkCount());
    std::vector<LinkEntry> links;
    table->ReadLinks(links);
    EXPECT_TRUE(links.empty());
}

// A section translates only the keys it has; the current language picks the section at
// every fill, and a number without a section gives the built-in texts.
TEST_F(LanguageTableTest, TheCurrentLanguagesSectionTranslatesTheKeysItHas)
{
    LanguageTable* table = Use("[lang2]\r\n20002=Next\r\n30002=Removed\r\n[lang1]\r\n10009=\r\n"
                               "[lang3]\r\n10020=\xC6\xF4\xB6\xAF\r\n[lang]\r\ncount=2\r\nlang2=English\r\n");
    std::vector<std::string> names{"kept"};
    table->GetLanguageNames(names);
    EXPECT_EQ((std::vector<std::string>{"kept", "", "English"}), names) << "index i stands for language i + 1";
    LanguageRecord record;
    table->SetCurrentLanguage(2);
    table->FillCurrentRecord(record);
    EXPECT_EQ("Next", record.Text(TextId::ButtonNext));
    ExpectBuiltin(record, TextId::ButtonNext);
    table->SetCurrentLanguage(1);
    table->FillCurrentRecord(record);
    EXPECT_EQ("", record.Text(TextId::DirectoryGroup)) << "present but empty stays empty";
    ExpectBuiltin(record, TextId::DirectoryGroup);
    table->FillRecord(3, record);
    EXPECT_EQ("\xC6\xF4\xB6\xAF", record.Text(TextId::FinishLaunch)) << "GBK bytes pass unchanged";
    table->SetCurrentLanguage(-7);
    table->FillCurrentRecord(record);
    ExpectBuiltin(record);
    // Texts outside the record, such as the uninstaller's, follow the same rule.
    EXPECT_EQ("Removed", table->ReadText(2, TextId::UninstallDone));
    EXPECT_EQ(BuiltinTexts::Get(TextId::UninstallDone), table->ReadText(1, TextId::UninstallDone));
}

// Font 0 is the fixed font; a selector picks font 1 by its low bit (negative ones too).
TEST_F(LanguageTableTest, LanguageFontFollowsTheParityOfTheSelector)
{
    ASSERT_EQ(936u, GetACP());
    LanguageTable* table = Use("[lang1]\r\nfont=3\r\n[lang2]\r\nfont=x\r\n[lang3]\r\nfont=2\r\n"
                               "[lang4]\r\nfont=-1\r\n[lang5]\r\nfont=-2\r\n");
    CFont* font0 = table->GetFixedFont();
    LOGFONTA fixed = LogFontOf(font0);
    EXPECT_STREQ("MS Sans Serif", fixed.lfFaceName);
    EXPECT_EQ(8, fixed.lfHeight);
    const struct {
        int language;
        bool second;
    } cases[] = {{1, true}, {2, false}, {3, false}, {4, true}, {5, false}, {7, false}};
    for (const auto& c : cases) {
        table->SetCurrentLanguage(c.language);
        CFont* font = table->GetLanguageFont();
        ASSERT_NE(nullptr, font);
        EXPECT_EQ(c.second, font != font0) << "language " << c.language;
        if (c.second) {
            LOGFONTA label = LogFontOf(font);
            EXPECT_STREQ("\xCB\xCE\xCC\xE5", label.lfFaceName); // 宋体
            EXPECT_EQ(11, label.lfHeight);
        }
    }
}

TEST_F(LanguageTableTest, InstallSettingsAndLinksThatNeedAHashAfterTheName)
{
    LanguageTable* table = Use("[install]\r\ntitle=Mine 1.0\r\ninstallpath=d:\\Apps\\\r\n"
                               "states=one#two##three\r\nlinkto=\r\n"
                               "[link]\r\ncount=6\r\nlink1=Readme#readme.txt\r\nlink2=a#b#c\r\n"
                               "link3=a#\r\nlink4=#x\r\nlink5=abc\r\nlink7=never#read\r\n");
    InstallSettings settings;
    table->ReadInstallSettings(settings);
    EXPECT_EQ("Mine 1.0", settings.title);
    EXPECT_EQ("Orvanta 4.00", settings.group);
    EXPECT_EQ("", settings.linkto);
    EXPECT_EQ("d:\\Apps\\", settings.installpath);
    EXPECT_EQ("one\r\ntwo\r\n\r\nthree", settings.states);

    std::vector<LinkEntry> links{{"old", "kept"}};
    table->ReadLinks(links);
    ASSERT_EQ(4u, links.size());
    EXPECT_EQ("old", links[0].shortcutName);
    EXPECT_EQ("Readme", links[1].shortcutName);
    EXPECT_EQ("readme.txt", links[1].target);
    EXPECT_EQ("b#c", links[2].target);
    EXPECT_EQ("a", links[3].shortcutName);
    EXPECT_EQ("", links[3].target);
}

// Records are kept between queries; a file rewritten with the same length within the
// same time stamp, a file that appears or goes, a file whose stamps are old, and another
// file set all show at the next query.
TEST_F(LanguageTableTest, ChangesOfTheFileShowAtTheNextQueryDespiteKeptRecords)
{
    LanguageTable* table = Use("[lang1]\r\n20001=Back\r\n");
    table->SetCurrentLanguage(1);
    LanguageRecord record;
    table->FillCurrentRecord(record);
    table->FillCurrentRecord(record);
    EXPECT_EQ("Back", record.Text(TextId::ButtonBack));
    // A rewrite of the same length that keeps the very same stamp: only the bytes differ.
    auto stamp = [&](FILETIME* get, const FILETIME* set) {
        HANDLE file = CreateFileA(dir_.file("lang.ini").c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                  FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        EXPECT_TRUE(get ? GetFileTime(file, nullptr, nullptr, get) : SetFileTime(file, nullptr, nullptr, set));
        CloseHandle(file);
    };
    FILETIME filled;
    stamp(&filled, nullptr);
    ASSERT_TRUE(testsupport::WriteBytes(dir_.file("lang.ini"), "[lang1]\r\n20001=Bock\r\n"));
    stamp(nullptr, &filled);
    table->FillCurrentRecord(record);
    EXPECT_EQ("Bock", record.Text(TextId::ButtonBack)) << "same length, same stamp";

    // Stamps far in the past: the stamps alone decide, and a rewrite moves them.
    FILETIME old = {0x12345678, 0x01D00000};
    stamp(nullptr, &old);
    table->FillCurrentRecord(record);
    table->FillCurrentRecord(record);
    EXPECT_EQ("Bock", record.Text(TextId::ButtonBack));
    ASSERT_TRUE(testsupport::WriteBytes(dir_.file("lang.ini"), "[lang1]\r\n20001=Buck\r\n"));
    table->FillCurrentRecord(record);
    EXPECT_EQ("Buck", record.Text(TextId::ButtonBack)) << "a rewrite after old stamps";

    ASSERT_TRUE(DeleteFileA(dir_.file("lang.ini").c_str()));
    table->FillCurrentRecord(record);
    EXPECT_EQ(BuiltinTexts::Get(TextId::ButtonBack), record.Text(TextId::ButtonBack)) << "the file went";
    ASSERT_TRUE(testsupport::WriteBytes(dir_.file("lang.ini"), "[lang2]\r\n20001=Zurueck\r\n"));
    table->FillCurrentRecord(record);
    EXPECT_EQ(BuiltinTexts::Get(TextId::ButtonBack), record.Text(TextId::ButtonBack));
    table->SetCurrentLanguage(2);
    table->FillCurrentRecord(record);
    EXPECT_EQ("Zurueck", record.Text(TextId::ButtonBack)) << "the file came back; the language changed";

    table->SetFile(dir_.file("absent.ini"));
    table->FillCurrentRecord(record);
    EXPECT_EQ(BuiltinTexts::Get(TextId::ButtonBack), record.Text(TextId::ButtonBack)) << "another file";
    EXPECT_EQ(2, table->GetCurrentLanguage()) << "a new file does not reset the language";
}

} // namespace
