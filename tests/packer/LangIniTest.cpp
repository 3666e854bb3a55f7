#include "packer/PackerFixture.h"
#include "tools/SetupInspector.h"
#include "tools/Utf8Text.h"
#include "zip/ZipTestArchive.h"

#include <algorithm>

using namespace packertest;

namespace {

// Every kind of UTF-8 sequence and both surrogate halves; the compiler's own encoding of
// the literals is what the bytes are compared with.
TEST(Utf8TextTest, Utf16LeHoldsEveryCharacterAndRefusesBrokenText)
{
    const std::string text = u8"A\u00E9\u4E2D\uD55C\u0627\uFFFF\U00010000\U0001F600\U0010FFFF\r\n";
    const std::vector<uint8_t> expected = Utf16Le(u"A\u00E9\u4E2D\uD55C\u0627\uFFFF\U00010000\U0001F600\U0010FFFF\r\n");
    std::vector<uint8_t> utf16 = {1, 2};
    ASSERT_TRUE(Utf8Text::AppendUtf16Le(text, utf16));
    EXPECT_EQ(std::vector<uint8_t>({1, 2}), std::vector<uint8_t>(utf16.begin(), utf16.begin() + 2));
    EXPECT_EQ(expected, std::vector<uint8_t>(utf16.begin() + 2, utf16.end()));
    std::string back;
    size_t units = 0;
    ASSERT_TRUE(Utf8Text::FromUtf16Le(expected.data(), expected.size(), back, units));
    EXPECT_EQ(text, back);
    EXPECT_EQ(expected.size() / 2, units);

    std::vector<uint8_t> kept = {1, 2};
    EXPECT_FALSE(Utf8Text::AppendUtf16Le("ok\xC3(", kept));
    EXPECT_FALSE(Utf8Text::AppendUtf16Le("\xED\xA0\x80", kept));  // a surrogate written in UTF-8
    EXPECT_EQ((std::vector<uint8_t>{1, 2}), kept) << "nothing appended";

    const std::pair<std::vector<uint8_t>, size_t> broken[] = {
        {{'a', 0, 0x00, 0xDC, 'b', 0}, 1},        // a low surrogate first
        {{'a', 0, 0x3D, 0xD8, 'b', 0}, 1},        // a high surrogate, no low one after it
        {{'a', 0, 'b', 0, 0x3D, 0xD8}, 2},        // a high surrogate at the end
        {{'a', 0, 'b'}, 1},                       // half a unit
    };
    for (const auto& [bytes, before] : broken) {
        EXPECT_FALSE(Utf8Text::FromUtf16Le(bytes.data(), bytes.size(), back, units)) << before;
        EXPECT_EQ(before, units);
    }
}

class LangIniTest : public PackerTest {
protected:
    // The lang.ini of a setup built with lang holding file.
    std::vector<uint8_t> Carried(const std::vector<uint8_t>& file, bool utf8)
    {
        testfiles::Write(lang, file);
        SetupInputs inputs = Inputs("lang.exe");
        inputs.langUtf8 = utf8;
        std::string note;
        const fs::path out = dir.path() / "out";
        fs::remove_all(out);
        if (!SetupBuilder::BuildSetup(inputs, error)
            || !SetupInspector::ExtractSetup(inputs.out, out.string(), "", note, error))
            return {};
        return testfiles::Read(out / "install" / "lang.ini");
    }
};

// The setup carries lang.ini as UTF-16LE after its byte-order mark, holding exactly the
// text of the file: comments, order and line ends as they are. A byte-order mark in the
// file names its encoding whatever the option says.
TEST_F(LangIniTest, CarriedInUtf16LeWithTheFilesText)
{
    const std::string korean = u8"\uD55C\uAD6D\uC5B4", arabic = u8"\u0627\u0644\u0639\u0631\u0628\u064A\u0629";
    const std::string utf8 = "; " + korean + " \xF0\x9F\x98\x80\r\n[lang]\r\ncount=2\r\n[lang1]\r\nname=" + korean
        + "\r\n[lang2]\r\nname=" + arabic + "\r\n";
    const std::vector<uint8_t> fromUtf8 = Utf16Le(u"\uFEFF; \uD55C\uAD6D\uC5B4 \U0001F600\r\n[lang]\r\ncount=2\r\n"
                                                  u"[lang1]\r\nname=\uD55C\uAD6D\uC5B4\r\n[lang2]\r\n"
                                                  u"name=\u0627\u0644\u0639\u0631\u0628\u064A\u0629\r\n");
    // 中文 and the euro sign in code page 936; one line ends without CR.
    const std::string cp936 = "[lang]\r\ncount=1\r\n[lang1]\nname=\xD6\xD0\xCE\xC4 \x80\r\n";
    const std::vector<uint8_t> fromCp936 = Utf16Le(u"\uFEFF[lang]\r\ncount=1\r\n[lang1]\nname=\u4E2D\u6587 \u20AC\r\n");
    const std::vector<uint8_t> utf16 = Utf16Le(u"\uFEFF[lang]\r\ncount=1\r\n[lang1]\r\nname=\uD55C\U0001F600\r\n");
    const struct {
        std::vector<uint8_t> file;
        bool utf8;
        std::vector<uint8_t> carried;
    } rows[] = {
        {Bytes(utf8), true, fromUtf8},
        {Bytes("\xEF\xBB\xBF" + utf8), true, fromUtf8},
        {Bytes("\xEF\xBB\xBF" + utf8), false, fromUtf8},
        {Bytes(cp936), false, fromCp936},
        {utf16, false, utf16},
        {utf16, true, utf16},
        {{}, false, {0xFF, 0xFE}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.carried, Carried(row.file, row.utf8)) << error;
        EXPECT_EQ(row.file, testfiles::Read(lang)) << "the publisher's file is left as it was";
    }
}

// A setup cannot carry text it cannot read: bytes that are no text in the file's encoding
// refuse the build, naming the file and the line, and nothing is written.
TEST_F(LangIniTest, BytesThatAreNoTextInTheirEncodingAreRefusedWithTheirLine)
{
    const struct {
        std::vector<uint8_t> file;
        bool utf8;
        std::string message;
    } rows[] = {
        {Bytes("[lang]\ncaf\xE9\n"), true, " line 2: not UTF-8"},
        {Bytes("[lang]\ncaf\xE9\n"), false, " line 2: not text in code page 936"},
        {Bytes("\x7F\x45LF\x02\x01\n\x01\xFF\x81\x7F"), false, " line 2: not text in code page 936"},
        {Bytes("[lang]\ncount=1\n\n10001=\x81\n"), false, " line 4: not text in code page 936"},
        // 中 in UTF-8 is a code page 936 pair and a lead byte without its trail.
        {Bytes("[lang]\n10001=\xE4\xB8\xAD\n"), false,
         " line 2: not text in code page 936, but the file reads as UTF-8: give --lang-encoding utf-8"},
        {Bytes("\xEF\xBB\xBF[lang]\n\n\xC3(\n"), false, " line 3: not UTF-8, though the file starts with"},
        {Utf16Le(u"\uFEFF[lang]\n\xD800\n"), false, " line 2: not UTF-16LE"},
        {Utf16Le(u"\uFEFF[lang]\n\n\xDC00"), true, " line 3: not UTF-16LE"},
        {Bytes(std::string("\xFF\xFE[\0\n\0\n\0x", 9)), false, " line 3: not UTF-16LE"},
        // UTF-16LE without its mark, and a NUL in any encoding.
        {Bytes(std::string("[\0l\0]\0\r\0\n\0", 10)), false, " line 1: holds a NUL character"},
        {Bytes(std::string("[lang]\ncount=1\0\n", 16)), true, " line 2: holds a NUL character"},
        {Utf16Le(std::u16string(u"\uFEFF[lang]\r\n\r\nx=\0\r\n", 14)), false, " line 3: holds a NUL character"},
    };
    for (const auto& row : rows) {
        testfiles::Write(lang, row.file);
        SetupInputs inputs = Inputs("refused.exe");
        inputs.langUtf8 = row.utf8;
        ExpectRefused(inputs, {lang.string() + row.message});
    }
}

// Each problem of lang.ini is one warning naming the file and its line (where there is
// one) and the setup is written; with strict the same problems refuse it, writing nothing.
// Link targets are compared with the product's names as text, whatever the file's encoding;
// a name the archive does not declare UTF-8 is read in code page 936.
TEST_F(PackerTest, LangIniProblemsAreWarningsOrUnderStrictErrors)
{
    const std::string languages = "[lang]\ncount=1\n[lang1]\n", korean = u8"\uD55C\uAD6D\uC5B4.txt";
    testfiles::Write(product / fs::u8path(korean), Bytes("k"));
    ASSERT_TRUE(ZipTestArchive::Write((dir.path() / "gbk.zip").string(),
                                      {{"terminal.exe"}, {"terminal.ico"}, {"Uninstall.exe"}, {"\xD6\xD0.txt"}}));
    const struct {
        std::string ini;
        bool utf8;
        std::vector<std::string> warnings;
        std::string from = {};
    } rows[] = {
        {"[lang]\ncount=2\n[lang1]\n[LANG2]\n[link]\ncount=2\nlink1=Read#bin\\README.txt\nlink2=Bin#./bin/\n", false,
         {}},
        {languages + "[link]\ncount=1\nlink1=Docs#bin\\missing.txt\n", false,
         {" line 6: [link] link1: its target \"bin\\missing.txt\" is not in the product"}},
        {languages + "[link]\ncount=1\nlink1=NoTarget\n", false,
         {" line 6: [link] link1 = NoTarget: the setup skips it"}},
        {languages + "[link]\ncount=1\nlink1=#terminal.exe\n", false,
         {" line 6: [link] link1 = #terminal.exe: the setup skips it"}},
        {languages + "[link]\ncount=3\nlink1=T#terminal.exe\n", false,
         {" line 5: [link] count is 3 but the section holds 1"}},
        {"[lang]\ncount=2\n[lang1]\n", false, {" line 2: [lang] count is 2 but the language sections are [lang1]"}},
        {"[install]\ntitle=x\n", false, {": no [lang] section"}},
        {"\n[Lang]\ndefault=1\n[lang1]\n", false, {" line 2: [lang] has no count"}},
        {languages + "10001=\xE4\xB8\xAD\n", true, {}},
        {languages + "[link]\ncount=2\nlink1=K#" + korean + "\nlink2=T#" + kTable + "\\" + kReadme + "\n", true, {}},
        // 乗\丄.txt and the missing 中.txt in code page 936; the warning names it in UTF-8.
        {languages + "[link]\ncount=2\nlink1=T#\x81\x5C\\\x81\x41.txt\nlink2=D#\xD6\xD0.txt\n", false,
         {" line 7: [link] link2: its target \"\xE4\xB8\xAD.txt\" is not in the product"}},
        {languages + "[link]\ncount=2\nlink1=Z#\xE4\xB8\xAD.txt\nlink2=W#\xE6\x96\x87.txt\n", true,
         {" line 7: [link] link2: its target \"\xE6\x96\x87.txt\" is not in the product",
          "product name \"\xD6\xD0.txt\" is not marked UTF-8"},
         "gbk.zip"},
    };
    for (const auto& row : rows) {
        testfiles::Write(lang, Bytes(row.ini));
        Heard heard;
        SetupInputs inputs = Inputs("ok.exe", row.from);
        inputs.langUtf8 = row.utf8;
        EXPECT_TRUE(SetupBuilder::BuildSetup(inputs, error, &heard)) << error;
        EXPECT_TRUE(fs::remove(dir.path() / "ok.exe"));
        for (const std::string& warning : row.warnings)
            EXPECT_NE(heard.warnings.find(warning[0] == ' ' ? lang.string() + warning : warning), std::string::npos)
                << heard.warnings;
        EXPECT_EQ(row.warnings.size(), size_t(std::count(heard.warnings.begin(), heard.warnings.end(), '\n')))
            << heard.warnings;
        inputs.strict = true;
        if (!row.warnings.empty())
            ExpectRefused(inputs, {"refused by --strict: " + heard.warnings.substr(0, heard.warnings.find('\n'))});
        EXPECT_EQ(stubBytes, testfiles::Read(stub));
    }
}

} // namespace
