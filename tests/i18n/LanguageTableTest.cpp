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
    const std::string ini = "[Lang]\r\nnumber=\r\nspaced= 12x\r\nbig=99999999999\r\nlong=" +
                            std::string(2100, 'v');
    LanguageTable* table = Use(ini.c_str());
    EXPECT_EQ("dflt", table->ReadString("none", "number", "dflt"));
    EXPECT_EQ(std::string(2047, 'v'), table->ReadString("lang", "long", "dflt")) << "names ignore case";
    for (auto c : {std::make_pair("absent", -5), {"number", 0}, {"spaced", 12}, {"big", 2147483647}})
        EXPECT_EQ(c.second, table->ReadInt("lang", c.first, -5)) << c.first;
}

// Without a file everything is built in; "#" in the states text is a line break, a link
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
        std::vector<LinkEntry> links;
        table->ReadLinks(links);
        std::vector<std::string> read;
        for (const LinkEntry& link : links)
            read.insert(read.end(), {link.shortcutName, link.target});
        EXPECT_EQ(row.links, read);
    }
}

// A section translates only the keys it has, a key present but empty stays empty, and a
// language without a section gives the built-in texts; the current language picks the
// section at every fill.
TEST_F(LanguageTableTest, TheCurrentLanguagesSectionTranslatesTheKeysItHas)
{
    EXPECT_EQ(1, Use(nullptr)->GetCurrentLanguage());
    LanguageTable* table = Use("[lang2]\r\n20002=Next\r\n30002=Removed\r\n[lang1]\r\n10009=\r\n"
                               "[lang]\r\ncount=2\r\nlang2=English\r\n");
    std::vector<std::string> names;
    table->GetLanguageNames(names);
    EXPECT_EQ((std::vector<std::string>{"", "English"}), names) << "index i stands for language i + 1";
    LanguageRecord record;
    table->SetCurrentLanguage(2);
    table->FillCurrentRecord(record);
    EXPECT_EQ("Next", record.Text(TextId::ButtonNext));
    ExpectBuiltin(record, TextId::ButtonNext);
    table->SetCurrentLanguage(1);
    table->FillCurrentRecord(record);
    EXPECT_EQ("", record.Text(TextId::DirectoryGroup));
    ExpectBuiltin(record, TextId::DirectoryGroup);
    table->SetCurrentLanguage(7);
    table->FillCurrentRecord(record);
    ExpectBuiltin(record);
    // Texts outside the record, such as the uninstaller's, follow the same rule.
    EXPECT_EQ("Removed", table->ReadText(2, TextId::UninstallDone));
}

// Font 0 is the fixed font; a selector picks font 1 by its low bit, negative ones too.
TEST_F(LanguageTableTest, LanguageFontFollowsTheParityOfTheSelector)
{
    LanguageTable* table = Use("[lang1]\r\nfont=-1\r\n[lang2]\r\nfont=-2\r\n");
    CFont* fixed = table->GetFixedFont();
    for (int language : {1, 2}) {
        table->SetCurrentLanguage(language);
        CFont* font = table->GetLanguageFont();
        bool second = language == 1;
        EXPECT_EQ(second, font != fixed) << "language " << language;
        LOGFONTW logFont = {};
        font->GetLogFont(&logFont);
        EXPECT_STREQ(second ? L"\u5B8B\u4F53" : L"MS Sans Serif", logFont.lfFaceName);  // 宋体
        EXPECT_EQ(second ? 11 : 8, logFont.lfHeight);
    }
}

// Records are kept between queries, yet a file rewritten with the same length within the
// same time stamp, or a file gone, shows at the next query.
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
    HANDLE file = CreateFileA(dir_.file("lang.ini").c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME filled = {};
    EXPECT_TRUE(GetFileTime(file, nullptr, nullptr, &filled));
    WriteBytes(dir_.file("lang.ini"), "[lang1]\r\n20001=Bock\r\n");
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &filled));
    CloseHandle(file);
    EXPECT_EQ("Bock", back()) << "same length, same stamp: only the bytes differ";
    ASSERT_TRUE(DeleteFileA(dir_.file("lang.ini").c_str()));
    EXPECT_EQ(BuiltinTexts::Get(TextId::ButtonBack), back()) << "the file went";
}

// A copy of the probe program (i18n_probe) in a folder and under a name that both end in
// a GBK character whose trail byte is a backslash, run as a child process, finds its
// directory and the language its lang.ini names.
TEST_F(LanguageTableTest, ProgramInADoubleByteFolderFindsItselfAndItsFile)
{
    char own[MAX_PATH] = {};
    std::string probe(own, GetModuleFileNameA(nullptr, own, MAX_PATH));
    probe = probe.substr(0, probe.rfind('\\')) + "\\i18n_probe.exe";   // the build folder is plain ASCII
    std::string folder = dir_.str() + "\\ab\x95\x5C", program = folder + "\\probe\x95\x5C.exe";
    std::string output = dir_.file("probe.txt"), ini = folder + "\\install\\lang.ini";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((folder + "\\install").c_str(), nullptr));
    ASSERT_TRUE(CopyFileA(probe.c_str(), program.c_str(), FALSE)) << GetLastError();
    WriteBytes(ini, "[lang]\r\ncount=3\r\ndefault=3\r\n");
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
    EXPECT_EQ(folder + "\n" + ini + "\n3", std::string(std::istreambuf_iterator<char>(in), {}));
}

} // namespace
