#include "packer/PackerFixture.h"
#include "tools/ProductArchive.h"
#include "tools/SetupInspector.h"

#include <algorithm>
#include <utility>

using namespace packertest;

namespace {

// Chinese, Japanese kana, Korean, Cyrillic, an accented Latin letter and a character beyond
// the Basic Multilingual Plane, as MakeNamesArchive.cmake gives them to 7-Zip.
const std::string kChinese = u8"\u4E2D\u6587", kKana = u8"\u304B\u306A.txt", kKorean = u8"\uD55C\uAD6D\uC5B4.txt",
                  kCyrillic = u8"\u041F\u0440\u0438\u0432\u0435\u0442.txt", kLatin = u8"caf\u00E9.txt",
                  kEmoji = u8"\U0001F600.txt";

// A product whose names are UTF-8, from a folder or from 7-Zip's archive (flag bit 11), is
// packed under exactly those names, with no warning, and the generic uninstaller's list
// names them in UTF-8 with the UTF-8 marks; ASCII names keep the older ones.
TEST_F(PackerTest, NamesOutsideAsciiArePackedAndListedInUtf8)
{
    const fs::path names = dir.path() / "names";
    fs::create_directories(names / fs::u8path(kChinese));
    for (const std::string& name :
         {std::string("terminal.exe"), std::string("terminal.ico"), kChinese + "/" + kKana, kKorean, kCyrillic, kLatin,
          kEmoji})
        testfiles::Write(names / fs::u8path(name), Bytes(name));
    testfiles::Write(dir.path() / "names-7z.zip", testfiles::Read(ORVANTA_NAMES_7Z));
    testfiles::Write(dir.path() / "Uninstall.exe", testfiles::MarkedPe(PeImage::UninstallerMarker, 1800));

    std::vector<std::pair<std::string, bool>> packed = {
        {"terminal.exe", false}, {"terminal.ico", false}, {kChinese + "/", true}, {kChinese + "/" + kKana, true},
        {kKorean, true}, {kCyrillic, true}, {kLatin, true}, {kEmoji, true}, {"Uninstall.exe", false}};
    std::sort(packed.begin(), packed.end());
    const std::vector<uint8_t> listed =
        Bytes("d " + kChinese + "\r\nF Uninstall.exe\r\nf " + kLatin + "\r\nF terminal.exe\r\nF terminal.ico\r\nf "
              + kCyrillic + "\r\nf " + kChinese + "\\" + kKana + "\r\nf " + kKorean + "\r\nf " + kEmoji + "\r\n");
    for (const std::string from : {"names", "names-7z.zip"}) {
        Heard heard;
        SetupInputs inputs = Inputs("names.exe", from);
        inputs.lang.clear();
        inputs.strict = true;
        ASSERT_TRUE(SetupBuilder::BuildSetup(inputs, error, &heard)) << from << ": " << error;
        EXPECT_EQ("", heard.warnings) << from;
        const fs::path out = dir.path() / ("out-" + from), zip = dir.path() / ("packed-" + from + ".zip");
        std::string note;
        ASSERT_TRUE(SetupInspector::ExtractSetup(inputs.out, out.string(), zip.string(), note, error)) << error;

        std::vector<ProductItem> items;
        ASSERT_TRUE(ProductArchive::ListItems(testfiles::Read(zip), items, error)) << error;
        std::vector<std::pair<std::string, bool>> names;
        for (const ProductItem& item : items)
            names.emplace_back(item.name, item.utf8);
        std::sort(names.begin(), names.end());
        EXPECT_EQ(packed, names) << from;

        std::vector<ArchiveItem> stored;
        ASSERT_TRUE(ProductArchive::ReadArchive(testfiles::Read(zip), &stored, error)) << error;
        ASSERT_EQ("Uninstall.exe", stored.back().name);
        testfiles::Write(dir.path() / "program.exe", stored.back().content);
        ASSERT_TRUE(SetupInspector::ExtractSetup((dir.path() / "program.exe").string(), (out / "u").string(), "", note,
                                                 error)) << error;
        EXPECT_EQ(listed, testfiles::Read(out / "u" / "uninstall" / "items.lst")) << from;
    }
}

} // namespace
