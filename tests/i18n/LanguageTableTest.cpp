// The language table over lang.ini and the profile reads beneath it.
#include "i18n/BuiltinTexts.h"
#include "i18n/LanguageTable.h"
#include "support/ScratchDir.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// A GBK character whose trail byte is a backslash: a byte-wise search would cut inside it.
const std::string kBackslashTrail = "\x95\x5C";

// Profile files byte for byte (no newline translation).
void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

class LanguageTableTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(936u, GetACP()); }
    void TearDown() override { LanguageTable::Release(); }

    // The table, pointed at a lang.ini of this test's own folder holding bytes (none: no file).
    LanguageTable* Use(const char* bytes)
    {
        if (bytes != nullptr)
            WriteBytes(dir_.file("lang.ini"), bytes);
        LanguageTable* table = LanguageTable::Instance();
        table->SetFile(dir_.file("lang.ini"));
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

    testsupport::ScratchDir dir_;
};

// Only an absent file, section or key gives the default; values are cut at 2047 bytes, and
// integers beyond the int range clamp instead of overflowing.
TEST_F(LanguageTableTest, ProfileReadsFallBackOnlyForWhatIsAbsent)
{
    EXPECT_EQ("dflt", Use(nullptr)->ReadString("lang", "count", "dflt"));
    EXPECT_EQ(7, Use(nullptr)->ReadInt("lang", "count", 7));
    const std::string ini = "[other]\r\nkey=value\r\n[Lang]\r\nName=x\r\ntext=\r\nnumber=\r\nspaced= 12x\r\n"
                            "big=99999999999\r\nlong=" + std::string(2100, 'v') + "\r\n";
    LanguageTable* table = Use(ini.c_str());
    const struct {
        const char *section, *key;
        std::string expected;
    } strings[] = {
        {"none", "key", "dflt"}, {"other", "key", "value"}, {"lang", "name", "x"},  // names ignore case
        {"lang", "text", ""}, {"lang", "long", std::string(2047, 'v')},
    };
    for (const auto& c : strings)
        EXPECT_EQ(c.expected, table->ReadString(c.section, c.key, "dflt")) << c.key;
    for (auto c : {std::make_pair("key", -5), {"number", 0}, {"spaced", 12}, {"big", 2147483647}})
        EXPECT_EQ(c.second, table->ReadInt("lang", c.first, -5)) << c.first;
    const std::pair<const char*, int> texts[] = {
        {" \t12x", 12}, {"-3", -3}, {"+4", 4}, {"abc", 0}, {"- 3", 0}, {"", 0},
        {"2147483648", 2147483647}, {"-2147483648", -2147483647 - 1}, {"-99999999999", -2147483647 - 1},
    };
    for (const auto& c : texts)
        EXPECT_EQ(c.second, ProfileFile::ToInt(c.first)) << c.first;
}

// Without a file everything is built in; "#" in the licence text is a line break, a link
// needs a "#" after its name, and only the entries up to [link] count are read.
TEST_F(LanguageTableTest, InstallSettingsAndLinks)
{
    const struct {
        const char* ini;
        std::vector<std::string> settings, links;  // links: name and target of each
    } rows[] = {
        {nullptr, {"Orvanta 4.00", "Orvanta 4.00", "Brenholt", "http://www.example.com/", "c:\\Program Files\\",
                   "Orvanta 4.00", ""}, {}},
        {"[install]\r\ntitle=Mine 1.0\r\ninstallpath=d:\\Apps\\\r\nstates=one#two##three\r\nlinkto=\r\n"
         "[link]\r\ncount=6\r\nlink1=Readme#readme.txt\r\nlink2=a#b#c\r\nlink3=a#\r\nlink4=#x\r\nlink5=abc\r\n"
         "link7=never#read\r\n",
         {"Mine 1.0", "Orvanta 4.00", "Brenholt", "", "d:\\Apps\\", "Orvanta 4.00", "one\r\ntwo\r\n\r\nthree"},
         {"Readme", "readme.txt", "a", "b#c", "a", ""}},
    };
    for (const auto& row : rows) {
        LanguageTable* table = Use(row.ini);
        InstallSettings s;
        table->ReadInstallSettings(s);
        EXPECT_EQ(row.settings, (std::vector<std::string>{s.title, s.group, s.linkfrom, s.linkto, s.installpath,
                                                          s.installname, s.states}));
        std::vector<LinkEntry> links{{"old", "kept"}};
        table->ReadLinks(links);
        std::vector<std::string> read;
        for (size_t i = 1; i < links.size(); ++i)
            read.insert(read.end(), {links[i].shortcutName, links[i].target});
        EXPECT_EQ(row.links, read);
        EXPECT_EQ("old", links[0].shortcutName);
    }
}

// A section translates only the keys it has; the current language picks the section at
// every fill, and a number without a section gives the built-in texts.
TEST_F(LanguageTableTest, TheCurrentLanguagesSectionTranslatesTheKeysItHas)
{
    EXPECT_EQ(1, Use(nullptr)->GetCurrentLanguage());
    LanguageRecord record;
    record.font = 9;
    record.SetText(TextId::ButtonNext, "stale");
    Use(nullptr)->FillCurrentRecord(record);
    EXPECT_EQ(0, record.font);
    ExpectBuiltin(record);

    LanguageTable* table = Use("[lang2]\r\n20002=Next\r\n30002=Removed\r\n[lang1]\r\n10009=\r\n"
                               "[lang3]\r\n10020=\xC6\xF4\xB6\xAF\r\n[lang]\r\ncount=2\r\nlang2=English\r\n");
    std::vector<std::string> names{"kept"};
    table->GetLanguageNames(names);
    EXPECT_EQ((std::vector<std::string>{"kept", "", "English"}), names) << "index i stands for language i + 1";
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
    LanguageTable* table = Use("[lang1]\r\nfont=3\r\n[lang2]\r\nfont=x\r\n[lang3]\r\nfont=2\r\n"
                               "[lang4]\r\nfont=-1\r\n[lang5]\r\nfont=-2\r\n");
    CFont* fixed = table->GetFixedFont();
    for (int language : {1, 2, 3, 4, 5, 7}) {
        table->SetCurrentLanguage(language);
        CFont* font = table->GetLanguageFont();
        bool second = language == 1 || language == 4;
        EXPECT_EQ(second, font != fixed) << "language " << language;
        LOGFONTA logFont = {};
        EXPECT_EQ(int(sizeof logFont), font->GetLogFont(&logFont));
        EXPECT_STREQ(second ? "\xCB\xCE\xCC\xE5" : "MS Sans Serif", logFont.lfFaceName);  // 宋体
        EXPECT_EQ(second ? 11 : 8, logFont.lfHeight);
    }
}

// Records are kept between queries; a file rewritten with the same length within the
// same time stamp, a file that appears or goes, a file whose stamps are old, and another
// file set all show at the next query.
TEST_F(LanguageTableTest, ChangesOfTheFileShowAtTheNextQueryDespiteKeptRecords)
{
    LanguageTable* table = Use("[lang1]\r\n20001=Back\r\n");
    table->SetCurrentLanguage(1);
    LanguageRecord record;
    auto back = [&] {
        table->FillCurrentRecord(record);
        return record.Text(TextId::ButtonBack);
    };
    EXPECT_EQ("Back", back());
    EXPECT_EQ("Back", back());
    auto stamp = [&](FILETIME* get, const FILETIME* set) {
        HANDLE file = CreateFileA(dir_.file("lang.ini").c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                  FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        EXPECT_TRUE(get ? GetFileTime(file, nullptr, nullptr, get) : SetFileTime(file, nullptr, nullptr, set));
        CloseHandle(file);
    };
    FILETIME filled;
    stamp(&filled, nullptr);
    WriteBytes(dir_.file("lang.ini"), "[lang1]\r\n20001=Bock\r\n");
    stamp(nullptr, &filled);
    EXPECT_EQ("Bock", back()) << "same length, same stamp: only the bytes differ";

    // Stamps far in the past: the stamps alone decide, and a rewrite moves them.
    FILETIME old = {0x12345678, 0x01D00000};
    stamp(nullptr, &old);
    EXPECT_EQ("Bock", back());
    EXPECT_EQ("Bock", back());
    WriteBytes(dir_.file("lang.ini"), "[lang1]\r\n20001=Buck\r\n");
    EXPECT_EQ("Buck", back()) << "a rewrite after old stamps";

    const std::string builtin = BuiltinTexts::Get(TextId::ButtonBack);
    ASSERT_TRUE(DeleteFileA(dir_.file("lang.ini").c_str()));
    EXPECT_EQ(builtin, back()) << "the file went";
    WriteBytes(dir_.file("lang.ini"), "[lang2]\r\n20001=Zurueck\r\n");
    EXPECT_EQ(builtin, back());
    table->SetCurrentLanguage(2);
    EXPECT_EQ("Zurueck", back()) << "the file came back; the language changed";
    table->SetFile(dir_.file("absent.ini"));
    EXPECT_EQ(builtin, back()) << "another file";
    EXPECT_EQ(2, table->GetCurrentLanguage()) << "a new file does not reset the language";
}

// A copy of the probe program (i18n_probe) in a folder and under a name that both end in
// 0x95 0x5C, run as a child process: its directory, and the file and language its first
// language table takes from beside it.
TEST_F(LanguageTableTest, ProgramInADoubleByteFolderFindsItselfAndItsFile)
{
    char own[MAX_PATH] = {};
    std::string probe(own, GetModuleFileNameA(nullptr, own, MAX_PATH));
    probe = probe.substr(0, probe.rfind('\\')) + "\\i18n_probe.exe";   // the build folder is plain ASCII
    std::string folder = dir_.str() + "\\ab" + kBackslashTrail, program = folder + "\\probe" + kBackslashTrail + ".exe";
    std::string output = dir_.file("probe.txt"), ini = folder + "\\install\\lang.ini";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr) && CreateDirectoryA((folder + "\\install").c_str(), nullptr));
    ASSERT_TRUE(CopyFileA(probe.c_str(), program.c_str(), FALSE)) << GetLastError();
    // No file: language 1; [lang] default=x reads 0.
    const std::pair<const char*, const char*> files[] = {
        {"", "1"}, {"[lang]\r\ncount=3\r\ndefault=3\r\n", "3"}, {"[lang]\r\ndefault=x\r\n", "0"}};
    for (const auto& c : files) {
        if (*c.first)
            WriteBytes(ini, c.first);
        DeleteFileA(output.c_str());
        std::string commandLine = "\"" + program + "\" \"" + output + "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        ASSERT_TRUE(CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                   &startup, &process));
        WaitForSingleObject(process.hProcess, 60000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        std::ifstream in(output, std::ios::binary);
        std::string written{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        EXPECT_EQ(folder + "\n" + ini + "\n" + c.second, written) << c.first;
    }
}

} // namespace
