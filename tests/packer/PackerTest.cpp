#include "packer/PackerFixture.h"
#include "tools/ContainerWriter.h"
#include "tools/PeImage.h"
#include "tools/ProductArchive.h"
#include "tools/SetupBuilder.h"
#include "tools/SetupInspector.h"
#include "tools/Utf8Text.h"
#include "zip/ZipTestArchive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <numeric>

#include <zlib.h>

using namespace packertest;

namespace {

// One small container typed from the format: the writer the layout test takes as its oracle
// writes exactly this. A directory's region ends with its own list; offsets count from the
// list's base; records are stored in the order given (the reader lists them reversed).
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

// The product folder is zipped sorted, folders first, without file times. The setup is the
// stub, then "install" holding that archive reversed, lang.ini, the banner (both optional)
// and the archive's CRC-32, then zeros up to a multiple of 8 where no record points (signing
// appends its table without padding of its own), then the top-level list.
TEST_F(PackerTest, BuiltSetupHasTheShippedLayout)
{
    std::vector<uint8_t> zip;
    std::vector<ProductItem> listed;
    ASSERT_TRUE(ProductArchive::ZipFolder(product.string(), zip, error)) << error;
    ASSERT_TRUE(ProductArchive::ListItems(zip, listed, error)) << error;
    const std::vector<uint8_t> payload(zip.rbegin(), zip.rend());
    std::vector<std::string> names;
    for (const ProductItem& item : listed)
        names.push_back(item.name + (item.utf8 ? " (UTF-8)" : ""));
    EXPECT_EQ(names, (std::vector<std::string>{"Uninstall.exe", "bin/", "bin/readme.txt", "empty/", "terminal.exe",
                                               "terminal.ico", kTable + std::string("/ (UTF-8)"),
                                               kTable + std::string("/") + kReadme + " (UTF-8)"}));
    // A later modification time changes nothing in the setup.
    fs::last_write_time(product / "terminal.exe", fs::file_time_type::clock::now() + std::chrono::hours(5));

    const uint32_t base = uint32_t(stubBytes.size()), sum = uint32_t(crc32(0L, payload.data(), uInt(payload.size())));
    const std::vector<uint8_t> crc = {uint8_t(sum), uint8_t(sum >> 8), uint8_t(sum >> 16), uint8_t(sum >> 24)};
    for (size_t bannerSize : {0, 1500, 1501, 1502, 1503, 1504, 1505, 1506, 1507}) {
        bannerBytes = RandomBytes(bannerSize, 8);
        testfiles::Write(banner, bannerBytes);
        std::vector<ContainerNode> files = {{"Orva.in", false, payload, {}}, {"lang.ini", false, Utf16Le(u"\uFEFF[lang]\r\ncount=1\r\n[lang1]\r\n"), {}},
                                            {"top_log.bmp", false, bannerBytes, {}}, {"Orva.in.crc32", false, crc, {}}};
        if (bannerSize == 0)
            files.erase(files.begin() + 1, files.begin() + 3);
        ContainerWriter region(base), top;
        ContainerRecord install = region.AppendNode({"install", true, {}, files}, base);
        top.AppendList({install}, base);
        top.AppendTrailer();
        std::vector<uint8_t> expected = stubBytes;
        expected.insert(expected.end(), region.Bytes().begin(), region.Bytes().end());
        expected.resize(expected.size() + (8 - (expected.size() + top.Bytes().size()) % 8) % 8, 0);
        expected.insert(expected.end(), top.Bytes().begin(), top.Bytes().end());
        SetupInputs inputs = Inputs("setup.exe");
        if (bannerSize == 0)
            inputs.lang = inputs.banner = "";
        ASSERT_TRUE(SetupBuilder::BuildSetup(inputs, error)) << error;
        EXPECT_EQ(expected, testfiles::Read(inputs.out)) << bannerSize;
    }
}

TEST_F(PackerTest, RefusesBadInputsAndWritesNothing)
{
    testfiles::Write(dir.path() / "empty.exe", {});
    std::vector<uint8_t> signedStub = testfiles::PeStub(400, 8);
    signedStub.resize(408, 0x30);
    testfiles::Write(dir.path() / "signed.exe", signedStub);
    fs::create_directory(dir.path() / "nothing");
    // A product without Uninstall.exe, and a stub whose generic uninstaller is a setup already.
    fs::path used = dir.path() / "used";
    ASSERT_TRUE(ZipTestArchive::Write((dir.path() / "bare.zip").string(), {{"terminal.exe"}}));
    fs::create_directory(used);
    testfiles::WriteSetup(used / "Uninstall.exe", stubBytes, testfiles::LoopContainer(stubBytes.size()));
    testfiles::Write(used / "stub.exe", stubBytes);
    testfiles::Write(dir.path() / "notes.txt", Bytes("MZ, but no program\r\n"));
    testfiles::Write(dir.path() / "x86.exe", testfiles::MarkedPe(PeImage::SetupMarker, 1024, 0x14C));
    testfiles::Write(dir.path() / "console.exe", testfiles::MarkedPe(PeImage::SetupMarker, 1024, 0x8664, 3));
    testfiles::Write(dir.path() / "foreign.exe", testfiles::MarkedPe("TERMINAL"));
    testfiles::Write(dir.path() / "generic.exe", testfiles::MarkedPe(PeImage::UninstallerMarker));
    fs::create_directory(dir.path() / "plain");
    testfiles::Write(dir.path() / "plain" / "stub.exe", stubBytes);
    testfiles::Write(dir.path() / "plain" / "Uninstall.exe", testfiles::MarkedPe(PeImage::SetupMarker));
    auto in = [&](const std::string& value) { return (dir.path() / value).string(); };
    const std::pair<std::function<void(SetupInputs&)>, std::string> rows[] = {
        {[&](SetupInputs& s) { s.stub = in("missing.exe"); }, "missing.exe"},
        {[&](SetupInputs& s) { s.product = lang.string(); }, "ZIP"},  // bytes that are no archive
        // An archive without items would never open in the setup's ZIP reader.
        {[&](SetupInputs& s) { s.product = in("nothing"); }, "nothing to install"},
        {[&](SetupInputs& s) { s.stub = in("empty.exe"); }, ""},
        {[&](SetupInputs& s) { s.stub = (used / "Uninstall.exe").string(); }, "already carries a container"},
        {[&](SetupInputs& s) { s.stub = in("signed.exe"); }, "is signed"},
        // Such a product could never be removed.
        {[&](SetupInputs& s) { s.product = in("bare.zip"); }, "no Uninstall.exe"},
        {[&](SetupInputs& s) { s.product = in("bare.zip"), s.stub = (used / "stub.exe").string(); },
         "already carries a container"},
        // Only this setup's own stub and uninstaller, told by their markers.
        {[&](SetupInputs& s) { s.stub = in("notes.txt"); },
         in("notes.txt") + ": not a PE image (expected: the setup.exe"},
        {[&](SetupInputs& s) { s.stub = in("x86.exe"); }, in("x86.exe") + ": not x86-64"},
        {[&](SetupInputs& s) { s.stub = in("console.exe"); }, in("console.exe") + ": not a GUI program"},
        {[&](SetupInputs& s) { s.stub = in("foreign.exe"); },
         in("foreign.exe") + ": not the Orvanta setup stub (no marker)"},
        {[&](SetupInputs& s) { s.stub = in("generic.exe"); }, in("generic.exe") + ": not the Orvanta setup stub"},
        {[&](SetupInputs& s) { s.product = in("bare.zip"), s.stub = (dir.path() / "plain" / "stub.exe").string(); },
         (dir.path() / "plain" / "Uninstall.exe").string() + ": not the Orvanta generic uninstaller (no marker)"},
    };
    for (const auto& row : rows) {
        SetupInputs inputs = Inputs("again.exe");
        row.first(inputs);
        const std::vector<uint8_t> before = testfiles::Read(inputs.stub);
        ExpectRefused(inputs, {row.second});
        EXPECT_EQ(before, testfiles::Read(inputs.stub)) << row.second;
    }
}

// The setup is never written over one of its inputs, however the output names it; the
// error names both files and every input is left as it was.
TEST_F(PackerTest, OutputThatIsAnInputIsRefused)
{
    const std::vector<uint8_t> generic = RandomBytes(2500, 9);
    testfiles::Write(dir.path() / "Uninstall.exe", generic);
    fs::create_hard_link(stub, dir.path() / "linked.exe");
    ASSERT_TRUE(ZipTestArchive::Write((dir.path() / "product.zip").string(), {{"terminal.exe"}, {"Uninstall.exe"}}));
    const std::vector<uint8_t> zip = testfiles::Read(dir.path() / "product.zip");
    const fs::path readme = product / "bin" / "readme.txt";
    const std::pair<std::function<void(SetupInputs&)>, std::string> rows[] = {
        {[&](SetupInputs& s) { s.out = (dir.path() / "." / "stub.exe").string(); }, stub.string()},
        {[&](SetupInputs& s) { s.out = (dir.path() / "linked.exe").string(); }, stub.string()},
        {[&](SetupInputs& s) { s.out = (dir.path() / "Uninstall.exe").string(); }, "Uninstall.exe"},
        {[&](SetupInputs& s) { s.out = lang.string(); }, lang.string()},
        {[&](SetupInputs& s) { s.out = (dir.path() / "x" / ".." / "top_log.bmp").string(); }, banner.string()},
        {[&](SetupInputs& s) { s.out = readme.string(); }, "readme.txt"},
        {[&](SetupInputs& s) { s.product = s.out = (dir.path() / "product.zip").string(); }, "product.zip"},
    };
    fs::create_directory(dir.path() / "x");
    for (const auto& [change, input] : rows) {
        // Each row starts from intact inputs, so one that slips through spoils no other.
        for (const auto& [path, bytes] : {std::make_pair(stub, stubBytes), std::make_pair(lang, langBytes),
                                          std::make_pair(banner, bannerBytes),
                                          std::make_pair(readme, Bytes("read me\r\n")),
                                          std::make_pair(dir.path() / "Uninstall.exe", generic),
                                          std::make_pair(dir.path() / "product.zip", zip)})
            testfiles::Write(path, bytes);
        SetupInputs inputs = Inputs("unused.exe");
        change(inputs);
        EXPECT_FALSE(SetupBuilder::BuildSetup(inputs, error)) << inputs.out;
        EXPECT_NE(error.find("output " + inputs.out + " is the "), std::string::npos) << error;
        EXPECT_NE(error.find(input), std::string::npos) << error;
        EXPECT_EQ(stubBytes, testfiles::Read(stub));
        EXPECT_EQ(generic, testfiles::Read(dir.path() / "Uninstall.exe"));
        EXPECT_EQ(langBytes, testfiles::Read(lang));
        EXPECT_EQ(bannerBytes, testfiles::Read(banner));
        EXPECT_EQ(Bytes("read me\r\n"), testfiles::Read(readme));
        EXPECT_EQ(zip, testfiles::Read(dir.path() / "product.zip"));
    }
}

// A product without Uninstall.exe gets the generic one from beside the stub, with the list
// of what the setup writes: the names its ZIP reader makes of the stored ones, the folders a
// path implies. Names declared UTF-8 (flag bit 11, a Unicode Path record) are listed in
// UTF-8 with the UTF-8 marks; other names keep their bytes and the older marks, for the
// uninstaller to read in the system's code page as the setup does. A UTF-8 lang.ini is
// carried in UTF-16LE, by the setup and the uninstaller.
TEST_F(PackerTest, ProductWithoutUninstallerGetsTheGenericOneWithItsList)
{
    std::vector<ZipTestItem> stored = {{"a/b/c"}, {"../up"}, {"./g/"}, {"\xD6\xD0.txt"}, {"_.txt"},
                                       {kTable + std::string("/") + kReadme}};
    stored.back().flags = 0x800;
    stored[4].centralExtra = ZipTestArchive::UnicodePathRecord("_.txt", "\xED\x95\x9C.txt");  // 한.txt
    ASSERT_TRUE(ZipTestArchive::Write((dir.path() / "product.zip").string(), stored));
    testfiles::Write(lang, Bytes("\xEF\xBB\xBF[lang]\r\nlang1=\xE4\xB8\xAD\xE6\x96\x87\r\n"));
    const std::vector<uint8_t> carried = Utf16Le(u"\uFEFF[lang]\r\nlang1=\u4E2D\u6587\r\n");
    const std::vector<uint8_t> generic = testfiles::MarkedPe(PeImage::UninstallerMarker, 2500);
    testfiles::Write(dir.path() / "Uninstall.exe", generic);
    SetupInputs inputs = Inputs("setup.exe", "product.zip");
    inputs.langUtf8 = true;
    std::string note;
    ASSERT_TRUE(SetupBuilder::BuildSetup(inputs, error)) << error;
    const fs::path out = dir.path() / "out", zip = dir.path() / "Orva.zip", program = dir.path() / "program.exe";
    ASSERT_TRUE(SetupInspector::ExtractSetup(inputs.out, out.string(), zip.string(), note, error)) << error;
    EXPECT_EQ(testfiles::Read(out / "install" / "lang.ini"), carried);

    std::vector<ArchiveItem> items;
    ASSERT_TRUE(ProductArchive::ReadArchive(testfiles::Read(zip), &items, error)) << error;
    ASSERT_EQ("Uninstall.exe", items.back().name);
    const std::vector<uint8_t>& bytes = items.back().content;
    EXPECT_TRUE(bytes.size() > generic.size() && std::equal(generic.begin(), generic.end(), bytes.begin()));
    testfiles::Write(program, bytes);
    ASSERT_TRUE(SetupInspector::ExtractSetup(program.string(), (out / "u").string(), "", note, error)) << error;
    EXPECT_EQ(testfiles::Read(out / "u" / "uninstall" / "lang.ini"), carried);
    EXPECT_EQ(testfiles::Read(out / "u" / "uninstall" / "items.lst"),
              Bytes(std::string("D a\r\nD a\\b\r\nD g\r\nd ") + kTable +
                    "\r\nF Uninstall.exe\r\nF a\\b\\c\r\nF up\r\nF \xD6\xD0.txt\r\nf " + kTable + "\\" + kReadme +
                    "\r\nf \xED\x95\x9C.txt\r\n"));
}

// A ready archive with one bad name beside sound ones is refused with that name, as a
// folder with it would be (both are checked as the archive the setup reads).
TEST_F(PackerTest, NamesThatCanNeverInstallAreRefused)
{
    const std::pair<std::string, std::string> rows[] = {
        {"con.h", "device"}, {"COM0", "device"}, {"Lpt0.log", "device"}, {"conin$", "device"},
        {"d/CONOUT$.txt", "device"}, {"a*b", "*"}, {"why?.txt", "?"}, {"say\"hi\"", "\""}, {"<x>", "<"},
        {"pipe|", "|"}, {"ends.", "dot"}, {"ends ", "space"}, {"bin/README.TXT", "one file"},
        {"Terminal.EXE/x", "folder"},
        // Names read as the setup reads them: "./" skipped, drive and ".." cut.
        {"./bin/readme.txt", "one file"}, {"c:/..", "no file name"},
        {"bad\xC3(.txt", "not"},  // flagged UTF-8, as every name outside ASCII here
    };
    for (const auto& [name, message] : rows) {
        std::vector<ZipTestItem> items = {{"terminal.exe", "t"}, {"bin/readme.txt", "r"}, {name, "x"}};
        items.back().flags = Utf8Text::Ascii(name) ? 0 : 0x800;
        ASSERT_TRUE(ZipTestArchive::Write((dir.path() / "bad.zip").string(), items));
        ExpectRefused(Inputs("bad.exe", "bad.zip"), {message, name.substr(name.find_first_not_of("./"))});
    }
}

// Names an archiver on Unix stored undeclared are declared UTF-8 when all of them are;
// one name that is not, or one from another host, leaves every name as stored.
TEST_F(PackerTest, UndeclaredUtf8NamesFromUnixAreDeclaredOnlyWhenAllAre)
{
    const std::string utf8 = "\xE8\xAF\xB4.txt", gbk = "\xCB\xB5.txt";  // 说.txt; its GBK bytes are UTF-8 too
    const std::tuple<uint32_t, std::vector<std::string>, size_t> rows[] = {
        {ZipTestItem::UnixHost, {"a.txt", utf8, "d/" + utf8}, 2},
        {ZipTestItem::UnixHost, {utf8, "\xD6\xD0.txt"}, 0},
        {ZipTestItem::DosHost, {gbk}, 0},
    };
    for (const auto& [host, names, declared] : rows) {
        std::vector<ZipTestItem> items;
        for (const std::string& name : names) {
            items.push_back({name});
            items.back().versionMadeBy = host;
        }
        ASSERT_TRUE(ZipTestArchive::Write((dir.path() / "unix.zip").string(), items));
        std::vector<uint8_t> zip = testfiles::Read(dir.path() / "unix.zip"), before = zip;
        EXPECT_EQ(declared, ProductArchive::DeclareUnixUtf8Names(zip));
        std::vector<ProductItem> listed;
        ASSERT_TRUE(ProductArchive::ListItems(zip, listed, error)) << error;
        EXPECT_EQ(2 * declared, std::inner_product(zip.begin(), zip.end(), before.begin(), size_t(0), std::plus<>(),
                                                   std::not_equal_to<>())) << "one flag byte in each header";
        for (size_t i = 0; i < listed.size(); ++i)
            EXPECT_EQ(declared > 0 && !Utf8Text::Ascii(names[i]), listed[i].utf8) << listed[i].name;
    }
}

} // namespace

// A signing command that fails, breaks the file or does nothing is refused, naming the step
// and its exit code; no file of the build is left and an earlier setup stays as it was.
// The generic uninstaller (bare.zip brings none) is signed before the setup. The commands
// read the same to sh and to cmd.
TEST_F(PackerTest, SigningThatFailsLeavesNoSetup)
{
    testfiles::Write(stub, testfiles::MarkedPe(PeImage::SetupMarker));
    testfiles::Write(dir.path() / "Uninstall.exe", testfiles::MarkedPe(PeImage::UninstallerMarker, 1200));
    ASSERT_TRUE(ZipTestArchive::Write((dir.path() / "bare.zip").string(), {{"terminal.exe"}}));
    const std::vector<uint8_t> earlier = RandomBytes(100, 5);
    const std::tuple<std::string, std::string, std::string> rows[] = {
        {"echo x>> {file} && exit 3", "bare.zip", "signing the uninstaller failed (exit code 3): the command reported"},
        {"exit 3", "product", "signing the setup failed (exit code 3): the command reported"},
        {"echo x> {file}", "bare.zip", "signing the uninstaller failed (exit code 0): it left no PE image"},
        {"echo x> {file}", "product", "signing the setup failed (exit code 0): it left no PE image"},
        {"exit 0", "product", "signing the setup failed (exit code 0): it left the file unchanged"},
    };
    for (const auto& [command, from, message] : rows) {
        testfiles::Write(dir.path() / "setup.exe", earlier);
        const std::vector<std::string> before = testfiles::Tree(dir.path());
        SetupInputs inputs = Inputs("setup.exe", from);
        inputs.signCommand = command;
        EXPECT_FALSE(SetupBuilder::BuildSetup(inputs, error)) << command;
        EXPECT_NE(error.find(message), std::string::npos) << error;
        EXPECT_EQ(earlier, testfiles::Read(inputs.out)) << command;
        EXPECT_EQ(before, testfiles::Tree(dir.path())) << command;
    }
}
