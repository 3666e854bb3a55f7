// The refused instance's title: only lang.ini of its own container, unpacked in a private
// folder that is gone afterwards; the shared working folder is never touched.
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "app/ContainerTitle.h"
#include "i18n/LanguageTable.h"
#include "support/ScratchDir.h"

namespace {

class ContainerTitleTest : public ::testing::Test {
protected:
    void TearDown() override { LanguageTable::Release(); }
    std::string Stub()
    {
        std::string stub = scratch.file("stub.bin");
        apptest::WriteFile(stub, "MZ stub");
        return stub;
    }
    testsupport::ScratchDir scratch;
};

TEST_F(ContainerTitleTest, TitleComesFromTheContainersLangIniAndNothingIsLeft)
{
    std::string work = LanguageTable::GetWorkFolder() + "install";
    bool workBefore = ::GetFileAttributesA(work.c_str()) != INVALID_FILE_ATTRIBUTES;
    int before = apptest::CountTempEntries("orvanta-title-");
    std::string setup = apptest::PackSetup(scratch.str(), "a", Stub(), "[install]\r\ntitle=Private Title 7\r\n");
    EXPECT_EQ("Private Title 7", ContainerTitle::Read(setup));
    EXPECT_EQ(before, apptest::CountTempEntries("orvanta-title-"));
    EXPECT_EQ(workBefore, ::GetFileAttributesA(work.c_str()) != INVALID_FILE_ATTRIBUTES);
}

TEST_F(ContainerTitleTest, WithoutLangIniOrContainerTheBuiltInTitleApplies)
{
    std::string setup = apptest::PackSetup(scratch.str(), "b", Stub(), "");
    EXPECT_EQ("Orvanta 4.00", ContainerTitle::Read(setup));
    EXPECT_EQ("Orvanta 4.00", ContainerTitle::Read(Stub()));
    EXPECT_EQ("Orvanta 4.00", ContainerTitle::Read(scratch.file("missing.exe")));
    std::string noTitle = apptest::PackSetup(scratch.str(), "c", Stub(), "[install]\r\ngroup=x\r\n");
    EXPECT_EQ("Orvanta 4.00", ContainerTitle::Read(noTitle));
}

TEST_F(ContainerTitleTest, OnlyLangIniIsUnpacked)
{
    std::string setup = apptest::PackSetup(scratch.str(), "d", Stub(), "[install]\r\ntitle=T\r\n");
    std::string folder = scratch.file("out");
    ::CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_TRUE(ContainerTitle::ExtractLanguageFile(setup, folder));
    EXPECT_EQ("[install]\r\ntitle=T\r\n", apptest::ReadFile(folder + "\\lang.ini"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA((folder + "\\Orva.in").c_str()));
    EXPECT_FALSE(ContainerTitle::ExtractLanguageFile(Stub(), folder));
}

TEST_F(ContainerTitleTest, PrivateFoldersAreNewEachTime)
{
    std::string first = ContainerTitle::MakePrivateFolder();
    std::string second = ContainerTitle::MakePrivateFolder();
    ASSERT_FALSE(first.empty());
    EXPECT_NE(first, second);
    ::RemoveDirectoryA(first.c_str());
    ::RemoveDirectoryA(second.c_str());
}

} // namespace
