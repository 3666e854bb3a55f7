// The language table over lang.ini and the profile reads beneath it.
#include "framework/WideText.h"
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

// A profile file as the packer writes one: the UTF-16LE byte-order mark, then the text.
std::string Utf16File(const std::string& utf8)
{
    std::wstring wide = WideText::FromUtf8(utf8);
    std::string bytes = "\xFF\xFE";
    for (wchar_t unit : wide)
        bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    return bytes;
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
    LanguageTable* Use(const std::string& bytes)
    {
        WriteBytes(dir_.file("lang.ini"), bytes);
        return Use(nullptr);
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

// Only an absent file, section or key gives the default; values are cut at 2047 characters, and
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

// The packer's lang.ini, UTF-16LE with its mark, holds any language: a Korean and an Arabic
// one read back exactly, names, texts, settings and links. A value is cut at 2047
// characters, however long their UTF-8, and never between the halves of a character.
TEST_F(LanguageTableTest, AUnicodeFileHoldsAnyLanguage)
{
    const std::string korean = u8"오르반타 설치 프로그램에 오신 것을 환영합니다", arabic = u8"مرحبًا بك في برنامج إعداد أورفانتا";
    auto times = [](const char* text, int count) {
        std::string repeated;
        while (count-- > 0)
            repeated += text;
        return repeated;
    };
    LanguageTable* table = Use(Utf16File(std::string(u8"[lang]\r\ncount=2\r\nlang1=한국어\r\nlang2=العربية\r\n") +
                                         u8"[lang1]\r\n10002=" + korean + u8"\r\n20002=다음\r\n" +
                                         u8"[lang2]\r\n10002=" + arabic + u8"\r\n20002=التالي\r\n" +
                                         u8"[install]\r\ntitle=오르반타 4.00\r\nstates=첫째 줄#둘째 줄\r\n" +
                                         u8"[link]\r\ncount=1\r\nlink1=읽어 보기#문서\\안내.txt\r\n" +
                                         "[long]\r\ncjk=" + times(u8"语", 2100) + "\r\npairs=" +
                                         times(u8"\U0001F600", 1100) + "\r\n"));
    std::vector<std::string> names;
    table->GetLanguageNames(names);
    EXPECT_EQ((std::vector<std::string>{u8"한국어", u8"العربية"}), names);
    const struct {
        int language;
        std::string welcome, next;
    } rows[] = {{1, korean, u8"다음"}, {2, arabic, u8"التالي"}};
    for (const auto& row : rows) {
        LanguageRecord record;
        table->SetCurrentLanguage(row.language);
        table->FillCurrentRecord(record);
        EXPECT_EQ(row.welcome, record.Text(TextId::WelcomeIntro));
        EXPECT_EQ(row.next, record.Text(TextId::ButtonNext));
        EXPECT_EQ(BuiltinTexts::Get(TextId::ButtonBack), record.Text(TextId::ButtonBack));
    }
    InstallSettings settings;
    table->ReadInstallSettings(settings);
    EXPECT_EQ(u8"오르반타 4.00", settings.title);
    EXPECT_EQ(u8"첫째 줄\r\n둘째 줄", settings.states);
    std::vector<LinkEntry> links;
    table->ReadLinks(links);
    ASSERT_EQ(1u, links.size());
    EXPECT_EQ(u8"읽어 보기", links[0].shortcutName);
    EXPECT_EQ(u8"문서\\안내.txt", links[0].target);
    // Compared whole, reported by size: the values are kilobytes long.
    const std::string cjk = table->ReadString("long", "cjk", ""), pairs = table->ReadString("long", "pairs", "");
    EXPECT_TRUE(cjk == times(u8"语", 2047)) << cjk.size() << " bytes";
    EXPECT_TRUE(pairs == times(u8"\U0001F600", 1023)) << pairs.size() << " bytes; 2047 units end in half a pair";
}

// A lang.ini without the mark (made by other means than the packer) is text of the
// machine's code page: under code page 936 its GBK bytes read as they always did, now as
// UTF-8, a character whose second byte is a backslash's (昞, 0x95 0x5C) included.
TEST_F(LanguageTableTest, AFileWithoutTheMarkIsReadInTheMachinesCodePage)
{
    LanguageTable* table = Use("[lang]\r\ncount=1\r\nlang1=\xBC\xF2\xCC\xE5\xD6\xD0\xCE\xC4\r\n"
                               "[lang1]\r\n20002=\xCF\xC2\xD2\xBB\xB2\xBD\r\n"
                               "[install]\r\ntitle=\x95\x5C\r\nstates=\x95\x5C#\xD2\xBB\r\n"
                               "[link]\r\ncount=1\r\nlink1=\x95\x5C#\x95\x5C\\\xD2\xBB.txt\r\n");
    std::vector<std::string> names;
    table->GetLanguageNames(names);
    EXPECT_EQ((std::vector<std::string>{u8"简体中文"}), names);
    LanguageRecord record;
    table->FillRecord(1, record);
    EXPECT_EQ(u8"下一步", record.Text(TextId::ButtonNext));
    InstallSettings settings;
    table->ReadInstallSettings(settings);
    EXPECT_EQ(u8"昞", settings.title);
    EXPECT_EQ(u8"昞\r\n一", settings.states);
    std::vector<LinkEntry> links;
    table->ReadLinks(links);
    ASSERT_EQ(1u, links.size());
    EXPECT_EQ(u8"昞", links[0].shortcutName);
    EXPECT_EQ(u8"昞\\一.txt", links[0].target);
}

// The language offered first: the user's own language exactly, else the first of its
// primary language, else "default". Only languages up to the count take part, and a
// langid beyond 16 bits is no language. Under the tests' Wine locale (zh_CN.UTF-8) the
// user's language is 2052, which the demo declares for its first language.
TEST_F(LanguageTableTest, TheUsersLanguageIsOfferedFirstByExactThenPrimaryMatchElseTheDefault)
{
    LanguageTable* table = Use(Utf16File("[lang]\r\ncount=5\r\ndefault=4\r\n[lang1]\r\nlangid=4100\r\n"
                                         "[lang2]\r\nlangid=1033\r\n[lang3]\r\nlangid=2057\r\n[lang4]\r\n"
                                         "[lang5]\r\nlangid=66577\r\n[lang6]\r\nlangid=1031\r\n"
                                         "[lang7]\r\nlangid=2052\r\n"));
    const struct {
        LANGID user;
        int offered;
    } rows[] = {{2057, 3}, {1033, 2}, {3081, 2}, {4100, 1}, {2052, 1}, {1041, 4}, {1031, 4}};
    for (const auto& row : rows)
        EXPECT_EQ(row.offered, table->ChooseLanguage(row.user)) << row.user;
    EXPECT_EQ(2052, ::GetUserDefaultUILanguage());
    EXPECT_EQ(1, table->GetPreferredLanguage());
    EXPECT_EQ(4, Use("[lang]\r\ncount=1\r\ndefault=4\r\n[lang1]\r\nlangid=1033\r\n")->GetPreferredLanguage());
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
// directory (in UTF-8) and offers the language its lang.ini declares for the user.
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
    WriteBytes(ini, "[lang]\r\ncount=3\r\ndefault=3\r\n[lang2]\r\nlangid=2052\r\n");
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
    EXPECT_EQ(WideText::Utf8FromCodePage(folder + "\n" + ini + "\n", 936) + "2",
              std::string(std::istreambuf_iterator<char>(in), {}));
}

} // namespace
