#include "container/PayloadContainer.h"
#include "container/TestFiles.h"
#include "support/ScratchDir.h"
#include "tools/ContainerWriter.h"
#include "tools/MemoryZipFile.h"
#include "tools/ProductArchive.h"
#include "tools/ProductUninstaller.h"
#include "tools/SetupBuilder.h"
#include "tools/SetupInspector.h"
#include "tools/Utf8Text.h"
#include "zip/ZipTestArchive.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <algorithm>
#include <filesystem>

#include <zlib.h>

namespace fs = std::filesystem;
using testfiles::Bytes;
using testfiles::RandomBytes;

namespace {

const char kTable[] = "\xE4\xB9\x97";                        // 乗, 81 5C in code page 936
const char kReadme[] = "\xE4\xB8\x84.txt";                  // 丄.txt, 81 41 in code page 936

class PackerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(product / "bin" / "plugins");
        fs::create_directories(product / "empty");
        testfiles::Write(product / "terminal.exe", RandomBytes(40000, 1));
        testfiles::Write(product / "terminal.ico", RandomBytes(700, 3));
        fs::create_directories(product / fs::u8path(kTable));
        testfiles::Write(product / fs::u8path(kTable) / fs::u8path(kReadme), Bytes("cn"));
        testfiles::Write(product / "Uninstall.exe", RandomBytes(3000, 2));
        testfiles::Write(product / "bin" / "readme.txt", Bytes("read me\r\n"));
        testfiles::Write(product / "bin" / "plugins" / "zero.dat", {});
        testfiles::Write(stub, stubBytes);
        testfiles::Write(lang, langBytes);
        testfiles::Write(banner, bannerBytes);
    }

    std::vector<uint8_t> Zip()
    {
        std::vector<uint8_t> zip;
        std::string error;
        EXPECT_TRUE(ProductArchive::ZipFolder(product.string(), zip, error)) << error;
        return zip;
    }

    SetupInputs Inputs(const std::string& out) const
    {
        return SetupInputs{stub.string(), product.string(), lang.string(), banner.string(), (dir.path() / out).string()};
    }

    testsupport::ScratchDir dir;
    fs::path product = dir.path() / "product";
    fs::path stub = dir.path() / "stub.exe";
    fs::path lang = dir.path() / "lang.ini";
    fs::path banner = dir.path() / "top_log.bmp";
    std::vector<uint8_t> stubBytes = RandomBytes(5000, 7);
    std::vector<uint8_t> langBytes = Bytes("[lang]\r\nnum=1\r\n");
    std::vector<uint8_t> bannerBytes = RandomBytes(1500, 8);
};

TEST_F(PackerTest, FolderZipIsReproducibleAndOrdered)
{
    std::vector<uint8_t> first = Zip();
    // A later modification time changes nothing in the archive.
    fs::last_write_time(product / "terminal.exe", fs::file_time_type::clock::now() + std::chrono::hours(5));
    EXPECT_EQ(Zip(), first);

    std::string error;
    std::vector<ArchiveItem> items;
    ASSERT_TRUE(ProductArchive::ReadArchive(first, &items, error)) << error;
    std::vector<std::string> names;
    for (const ArchiveItem& item : items)
        names.push_back(item.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Uninstall.exe", "bin/", "bin/plugins/", "bin/plugins/zero.dat",
                                               "bin/readme.txt", "empty/", "terminal.exe", "terminal.ico",
                                               kTable + std::string("/"), kTable + std::string("/") + kReadme}));
    std::vector<ProductItem> listed;
    ASSERT_TRUE(ProductArchive::ListItems(first, listed, error)) << error;
    EXPECT_FALSE(listed[7].utf8);
    EXPECT_TRUE(listed[8].utf8 && listed[9].utf8) << "names outside ASCII are flagged UTF-8";
    EXPECT_TRUE(items[1].directory);
    EXPECT_EQ(items[1].externalAttributes, 0x10u);
    EXPECT_EQ(items[0].externalAttributes, 0x20u);
    EXPECT_EQ(items[6].content, RandomBytes(40000, 1));
    EXPECT_TRUE(items[3].content.empty());
}

// The setup's length is a multiple of 8 whatever the contents weigh: the zero padding
// lies between the install directory's region and the top-level list, where no record
// points.
// One small container typed from the format, byte by byte: the writer that the other
// tests take as their oracle writes exactly this. A directory's region ends with its own
// list; offsets count from the list's base; records are stored in the order given, so the
// reader, which takes the record stored last as its entry 0, lists them reversed.
TEST(ContainerWriterTest, WritesTheFormatByteForByte)
{
    ContainerWriter writer(5);
    writer.AppendContainer({ContainerNode{"d", true, {}, {ContainerNode{"a", false, Bytes("xy"), {}},
                                                           ContainerNode{"b", false, Bytes("z"), {}}}}});
    const std::vector<uint8_t> expected = {
        'x', 'y', 'z',                                  // the files' bytes, at positions 5 to 7
        0, 0, 0, 0, 2, 0, 0, 0, 0, 'a', 1, 0, 0, 0,     // a: offset 0, size 2, flags 0, name, its length
        2, 0, 0, 0, 1, 0, 0, 0, 0, 'b', 1, 0, 0, 0,     // b: offset 2, size 1
        5, 0, 0, 0, 2, 0, 0, 0,                         // base 5, two entries
        0, 0, 0, 0, 39, 0, 0, 0, 0x80, 'd', 1, 0, 0, 0, // d: offset 0, its region of 39 bytes, a directory
        5, 0, 0, 0, 1, 0, 0, 0,                         // base 5, one entry
        'T', 'h', 'i', 's', ' ', 'i', 's', ' ', 'a', ' ', 'f', 'i', 'l', 'e', ' ', 'l', 'i', 's', 't', ' ', '.',
        21, 0, 0, 0};
    EXPECT_EQ(expected, writer.Bytes());
}

TEST_F(PackerTest, BuiltSetupHasTheShippedLayout)
{
    std::vector<uint8_t> zip = Zip();
    std::vector<uint8_t> payload(zip.rbegin(), zip.rend());
    uint32_t crc = uint32_t(crc32(0L, payload.data(), uInt(payload.size())));
    for (size_t bannerSize = 1500; bannerSize < 1508; ++bannerSize) {
        SCOPED_TRACE(bannerSize);
        bannerBytes = RandomBytes(bannerSize, 8);
        testfiles::Write(banner, bannerBytes);
        std::string error;
        ASSERT_TRUE(SetupBuilder::BuildSetup(Inputs("setup.exe"), error)) << error;
        auto setup = testfiles::Read(dir.path() / "setup.exe");
        ASSERT_GT(setup.size(), stubBytes.size());
        EXPECT_TRUE(std::equal(stubBytes.begin(), stubBytes.end(), setup.begin()));
        EXPECT_EQ(setup.size() % 8, 0u);

        const uint32_t base = uint32_t(stubBytes.size());
        ContainerWriter expected(base);
        expected.AppendBytes(payload);
        expected.AppendBytes(langBytes);
        expected.AppendBytes(bannerBytes);
        expected.AppendU32(crc);
        uint32_t langAt = uint32_t(payload.size()), bannerAt = langAt + uint32_t(langBytes.size());
        uint32_t crcAt = bannerAt + uint32_t(bannerSize);
        expected.AppendList({{0, uint32_t(payload.size()), 0, "Orva.in"},
                             {langAt, uint32_t(langBytes.size()), 0, "lang.ini"},
                             {bannerAt, uint32_t(bannerSize), 0, "top_log.bmp"},
                             {crcAt, 4, 0, "Orva.in.crc32"}},
                            base);
        uint32_t installSize = uint32_t(expected.Bytes().size());
        ContainerWriter index;
        index.AppendList({{0, installSize, 0x80, "install"}}, base);
        index.AppendTrailer();
        const std::vector<uint8_t>& region = expected.Bytes();
        const std::vector<uint8_t>& tail = index.Bytes();
        ASSERT_GE(setup.size(), base + region.size() + tail.size());
        size_t padding = setup.size() - base - region.size() - tail.size();
        EXPECT_LT(padding, 8u);
        EXPECT_TRUE(std::equal(region.begin(), region.end(), setup.begin() + base));
        EXPECT_TRUE(std::all_of(setup.begin() + base + region.size(), setup.end() - tail.size(),
                                [](uint8_t b) { return b == 0; }));
        EXPECT_TRUE(std::equal(tail.begin(), tail.end(), setup.end() - tail.size()));
    }
}

TEST_F(PackerTest, ListAndExtractReproduceTheInputs)
{
    std::string error, listing;
    ASSERT_TRUE(SetupBuilder::BuildSetup(Inputs("setup.exe"), error)) << error;
    std::string setup = (dir.path() / "setup.exe").string();
    ASSERT_TRUE(SetupInspector::ListSetup(setup, listing, error)) << error;
    EXPECT_NE(listing.find("directory       5000"), std::string::npos) << listing;
    EXPECT_LT(listing.find("    top_log.bmp\n"), listing.find("    Orva.in\n")) << listing;

    fs::path out = dir.path() / "out";
    fs::path zipOut = dir.path() / "Orva.zip";
    std::string note;
    ASSERT_TRUE(SetupInspector::ExtractSetup(setup, out.string(), zipOut.string(), note, error)) << error;
    EXPECT_EQ(note, "") << "not signed";
    EXPECT_EQ(testfiles::Read(out / "install" / "lang.ini"), langBytes);
    EXPECT_EQ(testfiles::Read(out / "install" / "top_log.bmp"), bannerBytes);
    EXPECT_EQ(testfiles::Read(zipOut), Zip());
}

TEST_F(PackerTest, ReadyArchiveIsPackedAsIs)
{
    std::string error;
    std::vector<uint8_t> zip = Zip();
    testfiles::Write(dir.path() / "product.zip", zip);
    SetupInputs inputs = Inputs("setup.exe");
    inputs.product = (dir.path() / "product.zip").string();
    inputs.lang.clear();
    inputs.banner.clear();
    ASSERT_TRUE(SetupBuilder::BuildSetup(inputs, error)) << error;
    PayloadContainer reader((dir.path() / "setup.exe").string());
    ContainerEntryList list;
    ASSERT_TRUE(reader.ReadIndex(list));
    ASSERT_TRUE(reader.ExtractAll(list, (dir.path() / "out").string()));
    EXPECT_EQ(testfiles::Tree(dir.path() / "out"),
              (std::vector<std::string>{"install", "install/Orva.in", "install/Orva.in.crc32"}));
    auto payload = testfiles::Read(dir.path() / "out" / "install" / "Orva.in");
    EXPECT_EQ(std::vector<uint8_t>(payload.rbegin(), payload.rend()), zip) << "stored reversed";
}

TEST_F(PackerTest, RefusesBadInputsAndWritesNothing)
{
    std::string error;
    ASSERT_TRUE(SetupBuilder::BuildSetup(Inputs("setup.exe"), error)) << error;
    testfiles::Write(dir.path() / "empty.exe", {});
    std::vector<uint8_t> signedStub = testfiles::PeStub(400, 8);
    signedStub.resize(408, 0x30);
    testfiles::Write(dir.path() / "signed.exe", signedStub);
    fs::create_directory(dir.path() / "nothing");
    struct Case {
        std::string SetupInputs::*field;
        std::string value, message;
    } cases[] = {
        {&SetupInputs::stub, (dir.path() / "missing.exe").string(), "missing.exe"},
        {&SetupInputs::product, lang.string(), "ZIP"},
        // An archive without items would never open in the setup's ZIP reader.
        {&SetupInputs::product, (dir.path() / "nothing").string(), "nothing to install"},
        {&SetupInputs::banner, (dir.path() / "nobanner.bmp").string(), ""},
        {&SetupInputs::stub, (dir.path() / "empty.exe").string(), ""},
        {&SetupInputs::stub, (dir.path() / "setup.exe").string(), "already carries a container"},
        {&SetupInputs::stub, (dir.path() / "signed.exe").string(), "is signed"},
    };
    for (const Case& c : cases) {
        SetupInputs inputs = Inputs("again.exe");
        inputs.*c.field = c.value;
        EXPECT_FALSE(SetupBuilder::BuildSetup(inputs, error)) << c.value;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
        EXPECT_FALSE(fs::exists(dir.path() / "again.exe")) << c.value;
    }
}

// An archive of empty items with exactly these stored names.
std::vector<uint8_t> ArchiveOf(const std::vector<std::string>& names)
{
    std::vector<uint8_t> bytes;
    MemoryZipFile memory(bytes);
    zlib_filefunc64_def functions = memory.Functions();
    zipFile zip = zipOpen2_64("t.zip", APPEND_STATUS_CREATE, nullptr, &functions);
    for (const std::string& name : names) {
        zip_fileinfo info = {};
        zipOpenNewFileInZip64(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, 0, 0, 0);
        zipCloseFileInZip(zip);
    }
    zipClose(zip, nullptr);
    return bytes;
}

// A product without Uninstall.exe, as a folder or as a ready archive, gets the generic one
// from beside the stub with the list of what the setup writes and the product's lang.ini
// appended in the container format; the product's own items stay as they were.
TEST_F(PackerTest, ProductWithoutUninstallerGetsTheGenericOneWithItsList)
{
    fs::remove(product / "Uninstall.exe");
    std::vector<uint8_t> own = Zip();
    testfiles::Write(dir.path() / "product.zip", own);
    std::vector<uint8_t> generic = RandomBytes(2500, 9);
    testfiles::Write(dir.path() / "Uninstall.exe", generic);
    std::vector<std::vector<uint8_t>> archives;
    for (const fs::path& source : {product, dir.path() / "product.zip"}) {
        SetupInputs inputs = Inputs("setup.exe");
        inputs.product = source.string();
        std::string error;
        ASSERT_TRUE(SetupBuilder::BuildSetup(inputs, error)) << error;
        std::string note;
        ASSERT_TRUE(SetupInspector::ExtractSetup(inputs.out, (dir.path() / "out").string(),
                                                 (dir.path() / "Orva.zip").string(), note, error)) << error;
        archives.push_back(testfiles::Read(dir.path() / "Orva.zip"));
    }
    EXPECT_EQ(archives[0], archives[1]) << "a ready archive gets the same item";

    std::string error;
    std::vector<ArchiveItem> before, after;
    ASSERT_TRUE(ProductArchive::ReadArchive(own, &before, error) && ProductArchive::ReadArchive(archives[0], &after, error));
    ASSERT_EQ(before.size() + 1, after.size());
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_TRUE(before[i].name == after[i].name && before[i].content == after[i].content) << before[i].name;
    EXPECT_EQ("Uninstall.exe", after.back().name);
    EXPECT_EQ(0x20u, after.back().externalAttributes);

    const std::vector<uint8_t>& program = after.back().content;
    ASSERT_GT(program.size(), generic.size());
    EXPECT_TRUE(std::equal(generic.begin(), generic.end(), program.begin()));
    testfiles::Write(dir.path() / "packed.exe", program);
    PayloadContainer reader((dir.path() / "packed.exe").string());
    ContainerEntryList list;
    ASSERT_TRUE(reader.ReadIndex(list));
    ASSERT_TRUE(reader.ExtractAll(list, (dir.path() / "unpacked").string()));
    EXPECT_EQ(testfiles::Tree(dir.path() / "unpacked"),
              (std::vector<std::string>{"uninstall", "uninstall/items.lst", "uninstall/lang.ini"}));
    EXPECT_EQ(testfiles::Read(dir.path() / "unpacked" / "uninstall" / "lang.ini"), langBytes);
    EXPECT_EQ(testfiles::Read(dir.path() / "unpacked" / "uninstall" / "items.lst"),
              Bytes(std::string("D bin\r\nD bin\\plugins\r\nD empty\r\nd ") + kTable +
                    "\r\nF Uninstall.exe\r\nF bin\\plugins\\zero.dat\r\nF bin\\readme.txt\r\nF terminal.exe\r\n"
                    "F terminal.ico\r\nf " + kTable + "\\" + kReadme + "\r\n"))
        << "names stored as UTF-8 stay UTF-8, marked for the uninstaller to convert as the setup did";
}

// The list names what the setup's ZIP reader makes of the stored names, with the folders a
// path implies; an Uninstall.exe of the product's own, in any case, is kept.
TEST_F(PackerTest, UninstallerListFollowsTheSetupsNames)
{
    struct Case {
        std::vector<std::string> stored;
        std::string list;
        bool hasUninstaller;
    } cases[] = {
        {{"a/b/c.txt", "x/"}, "D a\r\nD a\\b\r\nD x\r\nF Uninstall.exe\r\nF a\\b\\c.txt\r\n", false},
        {{"../up.txt", "c:/d/e.txt", "/root.txt", "a/../../f.txt", "./", "./g/./h/"}, "D d\r\nD g\r\nD g\\h\r\nF Uninstall.exe\r\nF d\\e.txt\r\n"
                                                                           "F f.txt\r\nF root.txt\r\nF up.txt\r\n", false},
        {{"UNINSTALL.EXE", "sub/Uninstall.exe"}, "D sub\r\nF UNINSTALL.EXE\r\nF sub\\Uninstall.exe\r\n", true},
    };
    for (const Case& c : cases) {
        std::string list, error;
        bool hasUninstaller = !c.hasUninstaller;
        EXPECT_TRUE(ProductUninstaller::ListItems(ArchiveOf(c.stored), list, hasUninstaller, error)) << error;
        EXPECT_EQ(c.list, list) << c.stored.front();
        EXPECT_EQ(c.hasUninstaller, hasUninstaller) << c.stored.front();
    }
}

TEST_F(PackerTest, RefusesAProductThatCannotGetAnUninstaller)
{
    fs::remove(product / "Uninstall.exe");
    std::string error;
    EXPECT_FALSE(SetupBuilder::BuildSetup(Inputs("setup.exe"), error));
    EXPECT_NE(error.find("no Uninstall.exe"), std::string::npos) << error;
    ContainerWriter used(stubBytes.size());
    used.AppendContainer({});
    testfiles::WriteSetup(dir.path() / "Uninstall.exe", stubBytes, used);
    EXPECT_FALSE(SetupBuilder::BuildSetup(Inputs("setup.exe"), error));
    EXPECT_NE(error.find("already carries a container"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(dir.path() / "setup.exe"));
}

TEST_F(PackerTest, ListingOfSelfReferencingDirectoriesEnds)
{
    testfiles::WriteSetup(dir.path() / "loop.exe", stubBytes, testfiles::LoopContainer(stubBytes.size()));
    std::string listing, error;
    EXPECT_FALSE(SetupInspector::ListSetup((dir.path() / "loop.exe").string(), listing, error));
    EXPECT_FALSE(error.empty());
}

struct Heard : BuildListener {
    void Warning(const std::string& text) override { warnings += text + "\n"; }
    void Zipped(uint64_t items, uint64_t itemCount, uint64_t bytes, uint64_t byteCount) override
    {
        last = {items, itemCount, bytes, byteCount};
    }
    std::string warnings;
    std::vector<uint64_t> last;
};

// A ready archive with one bad name beside sound ones is refused with that name, as a
// folder with it would be (both are checked as the archive the setup reads).
TEST_F(PackerTest, NamesThatCanNeverInstallAreRefused)
{
    const struct {
        std::string name;
        uint32_t flags;
        std::string message;
    } rows[] = {
        {"con.h", 0, "device"}, {"docs/Aux.js", 0, "device"}, {"COM1.txt", 0, "device"}, {"lpt9", 0, "device"},
        {"a/nul .txt/b", 0, "device"}, {"a*b", 0, "*"}, {"why?.txt", 0, "?"}, {"say\"hi\"", 0, "\""},
        {"<x>", 0, "<"}, {"pipe|", 0, "|"}, {"ends.", 0, "dot"}, {"docs./x", 0, "dot"}, {"ends ", 0, "space"},
        {"bin/README.TXT", 0, "one file"}, {"./bin/readme.txt", 0, "one file"}, {"Terminal.EXE/x", 0, "folder"},
        {"c:/..", 0, "no file name"}, {"bad\xC3(.txt", 0x800, "not"},
    };
    for (const auto& row : rows) {
        std::vector<ZipTestItem> items = {{"terminal.exe", "t"}, {"bin/readme.txt", "r"}, {row.name, "x"}};
        items.back().flags = row.flags;
        ASSERT_TRUE(ZipTestArchive::Write((dir.path() / "bad.zip").string(), items));
        SetupInputs inputs = Inputs("bad.exe");
        inputs.product = (dir.path() / "bad.zip").string();
        std::string error;
        EXPECT_FALSE(SetupBuilder::BuildSetup(inputs, error)) << row.name;
        EXPECT_NE(error.find(row.name.substr(row.name.find_first_not_of("./"))), std::string::npos) << error;
        EXPECT_NE(error.find(row.message), std::string::npos) << error;
        EXPECT_FALSE(fs::exists(dir.path() / "bad.exe")) << row.name;
    }
}

// Each problem of lang.ini against the product is one warning and the setup is written;
// with strict the same problems refuse it.
TEST_F(PackerTest, LangIniProblemsAreWarningsOrUnderStrictErrors)
{
    const struct {
        std::string ini, warning;
    } rows[] = {
        {"[lang]\ncount=2\n[lang1]\n[LANG2]\n[link]\ncount=2\nlink1=Read#bin\\README.txt\nlink2=Bin#./bin/\n", ""},
        {"[link]\ncount=1\nlink1=Docs#bin\\missing.txt\n", "\"bin\\missing.txt\" is not in the product"},
        // 乗\丄.txt in code page 936, and with 丄 (81 41) changed to another character (81 61):
        // trail bytes are neither separators nor letters.
        {"[link]\ncount=1\nlink1=Docs#\x81\x5C\\\x81\x41.txt\n", ""},
        {"[link]\ncount=1\nlink1=Docs#\x81\x5C\\\x81\x61.txt\n", ".txt\" is not in the product"},
        {"[link]\ncount=1\nlink1=NoTarget\n", "link1 = NoTarget: the setup skips it"},
        {"[link]\ncount=1\nlink1=#terminal.exe\n", "link1 = #terminal.exe: the setup skips it"},
        {"[link]\ncount=3\nlink1=T#terminal.exe\n", "count is 3 but the section holds 1"},
        {"[lang]\ncount=2\n[lang1]\n", "count is 2 but the language sections are [lang1]"},
        {"[lang]\ncount=1\n[lang1]\n[lang3]\n", "[lang1], [lang3]"},
        {"[lang1]\n", "count is 0"},
    };
    for (const auto& row : rows) {
        testfiles::Write(lang, Bytes(row.ini));
        Heard heard;
        std::string error;
        EXPECT_TRUE(SetupBuilder::BuildSetup(Inputs("ok.exe"), error, &heard)) << error;
        EXPECT_TRUE(fs::remove(dir.path() / "ok.exe"));
        if (row.warning.empty()) {
            EXPECT_EQ("", heard.warnings) << row.ini;
            continue;
        }
        EXPECT_NE(heard.warnings.find(row.warning), std::string::npos) << heard.warnings;
        EXPECT_EQ(1, std::count(heard.warnings.begin(), heard.warnings.end(), '\n')) << heard.warnings;
        SetupInputs strict = Inputs("ok.exe");
        strict.strict = true;
        EXPECT_FALSE(SetupBuilder::BuildSetup(strict, error)) << row.ini;
        EXPECT_NE(error.find(row.warning), std::string::npos) << error;
        EXPECT_FALSE(fs::exists(dir.path() / "ok.exe")) << row.ini;
    }
    fs::remove(product / "terminal.ico");
    Heard heard;
    std::string error;
    EXPECT_TRUE(SetupBuilder::BuildSetup(Inputs("ok.exe"), error, &heard)) << error;
    EXPECT_NE(heard.warnings.find("no terminal.ico"), std::string::npos) << heard.warnings;
    EXPECT_EQ((std::vector<uint64_t>{9, 9, 40000 + 3000 + 9 + 2, 40000 + 3000 + 9 + 2}), heard.last) << "all zipped";
}

// A UTF-8 lang.ini is written in code page 936; a character that code page lacks is
// refused with its line.
TEST_F(PackerTest, Utf8LangIniIsWrittenInCodePage936)
{
    testfiles::Write(lang, Bytes("\xEF\xBB\xBF[lang]\r\nlang1=\xE4\xB8\xAD\xE6\x96\x87\r\n"));
    SetupInputs inputs = Inputs("utf8.exe");
    inputs.langUtf8 = true;
    std::string error;
    ASSERT_TRUE(SetupBuilder::BuildSetup(inputs, error)) << error;
    std::string note;
    ASSERT_TRUE(SetupInspector::ExtractSetup((dir.path() / "utf8.exe").string(), (dir.path() / "out").string(), "", note,
                                             error))
        << error;
    EXPECT_EQ(Bytes("[lang]\r\nlang1=\xD6\xD0\xCE\xC4\r\n"), testfiles::Read(dir.path() / "out" / "install" / "lang.ini"));

    for (const auto& bad : {std::make_pair("a\n\nb=\xF0\x9F\x98\x80\n", "line 3: character U+1F600"),
                            std::make_pair("a\nb=\xC3(\n", "line 2: not UTF-8")}) {
        testfiles::Write(lang, Bytes(bad.first));
        inputs.out = (dir.path() / "bad.exe").string();
        EXPECT_FALSE(SetupBuilder::BuildSetup(inputs, error));
        EXPECT_NE(error.find(bad.second), std::string::npos) << error;
        EXPECT_FALSE(fs::exists(inputs.out));
    }
}

// Names an archiver on Unix stored undeclared are declared UTF-8 when all of them are;
// one name that is not, or one from another host, leaves every name as stored.
TEST_F(PackerTest, UndeclaredUtf8NamesFromUnixAreDeclaredOnlyWhenAllAre)
{
    const std::string utf8 = "\xE8\xAF\xB4.txt", gbk = "\xCB\xB5.txt";  // 说.txt; its GBK bytes are UTF-8 too
    const struct {
        std::vector<std::pair<std::string, uint32_t>> names;  // name, version made by
        size_t declared;
    } rows[] = {
        {{{"a.txt", ZipTestItem::UnixHost}, {utf8, ZipTestItem::UnixHost}, {"d/" + utf8, ZipTestItem::UnixHost}}, 2},
        {{{utf8, ZipTestItem::UnixHost}, {"\xD6\xD0.txt", ZipTestItem::UnixHost}}, 0},
        {{{gbk, ZipTestItem::DosHost}}, 0},
    };
    for (const auto& row : rows) {
        std::vector<ZipTestItem> items;
        for (const auto& name : row.names) {
            items.push_back({name.first, "x"});
            items.back().versionMadeBy = name.second;
        }
        ASSERT_TRUE(ZipTestArchive::Write((dir.path() / "unix.zip").string(), items));
        std::vector<uint8_t> zip = testfiles::Read(dir.path() / "unix.zip"), before = zip;
        EXPECT_EQ(row.declared, ProductArchive::DeclareUnixUtf8Names(zip));
        std::vector<ProductItem> listed;
        std::string error;
        ASSERT_TRUE(ProductArchive::ListItems(zip, listed, error)) << error;
        ASSERT_TRUE(ProductArchive::ReadArchive(zip, nullptr, error)) << error;
        size_t differing = 0;
        for (size_t i = 0; i < zip.size(); ++i)
            differing += zip[i] != before[i];
        EXPECT_EQ(2 * row.declared, differing) << "one flag byte in each header";
        for (size_t i = 0; i < listed.size(); ++i)
            EXPECT_EQ(row.declared > 0 && !Utf8Text::Ascii(row.names[i].first), listed[i].utf8) << listed[i].name;
    }
}

} // namespace
