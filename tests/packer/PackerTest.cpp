#include "container/PayloadContainer.h"
#include "container/TestFiles.h"
#include "support/ScratchDir.h"
#include "tools/ContainerWriter.h"
#include "tools/MemoryZipFile.h"
#include "tools/ProductArchive.h"
#include "tools/ProductUninstaller.h"
#include "tools/SetupBuilder.h"
#include "tools/SetupInspector.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;
using testfiles::Bytes;
using testfiles::RandomBytes;

namespace {

class PackerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(product / "bin" / "plugins");
        fs::create_directories(product / "empty");
        testfiles::Write(product / "terminal.exe", RandomBytes(40000, 1));
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
                                               "bin/readme.txt", "empty/", "terminal.exe"}));
    EXPECT_TRUE(items[1].directory);
    EXPECT_EQ(items[1].externalAttributes, 0x10u);
    EXPECT_EQ(items[0].externalAttributes, 0x20u);
    EXPECT_EQ(items[6].content, RandomBytes(40000, 1));
    EXPECT_TRUE(items[3].content.empty());
}

TEST_F(PackerTest, BuiltSetupHasTheShippedLayout)
{
    std::string error;
    ASSERT_TRUE(SetupBuilder::BuildSetup(Inputs("setup.exe"), error)) << error;
    auto setup = testfiles::Read(dir.path() / "setup.exe");
    ASSERT_GT(setup.size(), stubBytes.size());
    EXPECT_TRUE(std::equal(stubBytes.begin(), stubBytes.end(), setup.begin()));

    std::vector<uint8_t> zip = Zip();
    std::vector<uint8_t> payload(zip.rbegin(), zip.rend());

    const uint32_t base = uint32_t(stubBytes.size());
    ContainerWriter expected(base);
    expected.AppendBytes(payload);
    expected.AppendBytes(langBytes);
    expected.AppendBytes(bannerBytes);
    uint32_t langAt = uint32_t(payload.size()), bannerAt = langAt + uint32_t(langBytes.size());
    expected.AppendList({{0, uint32_t(payload.size()), 0, "Orva.in"},
                         {langAt, uint32_t(langBytes.size()), 0, "lang.ini"},
                         {bannerAt, uint32_t(bannerBytes.size()), 0, "top_log.bmp"}},
                        base);
    uint32_t installSize = uint32_t(expected.Bytes().size());
    expected.AppendList({{0, installSize, 0x80, "install"}}, base);
    expected.AppendTrailer();
    EXPECT_TRUE(std::equal(expected.Bytes().begin(), expected.Bytes().end(), setup.begin() + base, setup.end()));
    EXPECT_EQ(std::vector<uint8_t>(setup.end() - 4, setup.end()), (std::vector<uint8_t>{21, 0, 0, 0}));
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
    ASSERT_TRUE(SetupInspector::ExtractSetup(setup, out.string(), zipOut.string(), error)) << error;
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
    EXPECT_EQ(testfiles::Tree(dir.path() / "out"), (std::vector<std::string>{"install", "install/Orva.in"}));
    auto payload = testfiles::Read(dir.path() / "out" / "install" / "Orva.in");
    EXPECT_EQ(std::vector<uint8_t>(payload.rbegin(), payload.rend()), zip) << "stored reversed";
}

TEST_F(PackerTest, RefusesBadInputsAndWritesNothing)
{
    std::string error;
    ASSERT_TRUE(SetupBuilder::BuildSetup(Inputs("setup.exe"), error)) << error;
    testfiles::Write(dir.path() / "empty.exe", {});
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
        ASSERT_TRUE(SetupInspector::ExtractSetup(inputs.out, (dir.path() / "out").string(),
                                                 (dir.path() / "Orva.zip").string(), error)) << error;
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
              Bytes("D bin\r\nD bin\\plugins\r\nD empty\r\nF Uninstall.exe\r\nF bin\\plugins\\zero.dat\r\n"
                    "F bin\\readme.txt\r\nF terminal.exe\r\n"));
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

} // namespace
