#include "container/PayloadContainer.h"
#include "container/TestFiles.h"
#include "support/ScratchDir.h"
#include "tools/ContainerWriter.h"
#include "tools/ProductArchive.h"
#include "tools/SetupBuilder.h"
#include "tools/SetupInspector.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include <zlib.h>

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

// The setup's length is a multiple of 8 whatever the contents weigh: the zero padding
// lies between the install directory's region and the top-level list, where no record
// points.
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

TEST_F(PackerTest, ListingOfSelfReferencingDirectoriesEnds)
{
    testfiles::WriteSetup(dir.path() / "loop.exe", stubBytes, testfiles::LoopContainer(stubBytes.size()));
    std::string listing, error;
    EXPECT_FALSE(SetupInspector::ListSetup((dir.path() / "loop.exe").string(), listing, error));
    EXPECT_FALSE(error.empty());
}

} // namespace
