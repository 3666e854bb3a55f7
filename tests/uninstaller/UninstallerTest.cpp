#include "InstallReport.h"
#include "support/ScratchDir.h"
#include "uninstaller/ProductList.h"
#include "uninstaller/ProductRemoval.h"
#include "uninstaller/UninstallCommand.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// Only names that stay below the install directory are taken; a damaged or hostile list
// can only remove less.
TEST(ProductList, TakesOnlyWellFormedNamesBelowTheDirectory)
{
    ProductList list;
    list.Parse("D docs\r\nF a.txt\r\nF ..\\up.txt\r\nF docs\\..\\..\\up.txt\r\nF C:\\x.txt\r\nF C:x.txt\r\n"
               "F \\root.txt\r\nF \\\\server\\share\\x\r\nX other\r\nFa.txt\r\nD \r\nF docs\\b.txt\nD docs\\sub");
    EXPECT_EQ((std::vector<std::string>{"a.txt", "docs\\b.txt"}), list.Files());
    EXPECT_EQ((std::vector<std::string>{"docs", "docs\\sub"}), list.Folders());

    // UTF-8 names (lower-case marks) in the user's code page 936, as the setup wrote them;
    // one that code page cannot hold was never installed, and invalid UTF-8 is no name.
    list.Parse("d \xE6\x96\x87\xE6\xA1\xA3\r\nf \xE6\x96\x87\xE6\xA1\xA3\\\xE4\xB9\x97.txt\r\n"
               "f \xF0\x9F\x98\x80.txt\r\nf \xC3.txt\r\n");
    EXPECT_EQ((std::vector<std::string>{"\xCE\xC4\xB5\xB5\\\x81\x5C.txt"}), list.Files());   // 文档\乗.txt
    EXPECT_EQ((std::vector<std::string>{"\xCE\xC4\xB5\xB5"}), list.Folders());
}

// The copy learns the install directory from its command line, quoted through a
// double-byte character whose trail byte is a backslash (0xD6 0x5C).
TEST(UninstallCommand, HandoverArgumentsReadBack)
{
    const std::string directory = "C:\\Program Files\\Orvanta \xD6\x5C 4.00";
    HANDLE original = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x1234));
    UninstallCommand command = UninstallCommand::Parse(
        UninstallCommand::HandoverArguments(original, directory, true).c_str());
    EXPECT_TRUE(command.IsCopy() && command.Silent());
    EXPECT_EQ(original, command.Original());
    EXPECT_EQ(directory, command.InstallDirectory());
}

TEST(ProductRemoval, ComparesFoldersAsTheFileSystemDoes)
{
    struct Case {
        const char *path, *folder;
        bool inside, same;
    } cases[] = {
        {"c:\\A\\B\\c.exe", "C:\\a\\", true, false},
        {"C:\\ab", "C:\\a", false, false},
        {"C:\\A\\", "c:\\a", false, true},
        {"C:\\x\\..\\a\\b", "C:\\a", true, false},
        {"C:\\a\\b", "", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.inside, ProductRemoval::IsInside(c.path, c.folder)) << c.path << " in " << c.folder;
        EXPECT_EQ(c.same, ProductRemoval::IsSameFolder(c.path, c.folder)) << c.path << " = " << c.folder;
    }
}

// Exactly the listed files go, read-only ones too; a folder goes only when empty, so the
// user's file keeps its folder and the install directory.
TEST(ProductRemoval, RemovesExactlyTheListedItems)
{
    testsupport::ScratchDir scratch;
    fs::path install = scratch.path() / "Orvanta";
    fs::create_directories(install / "docs" / "deep");
    fs::create_directories(install / "empty");
    for (const char* name : {"app.exe", "readonly.txt", "docs/deep/b.txt", "docs/user.txt", "unlisted.txt"})
        std::ofstream(install / name) << name;
    ::SetFileAttributesA((install / "readonly.txt").string().c_str(), FILE_ATTRIBUTE_READONLY);
    ProductList list;
    list.Parse("D docs\r\nD docs\\deep\r\nD empty\r\nF app.exe\r\nF readonly.txt\r\nF docs\\deep\\b.txt\r\n"
               "F missing.txt\r\n");
    ProductRemoval removal(install.string());
    EXPECT_TRUE(removal.RemoveItems(list));
    EXPECT_EQ((std::vector<std::string>{"docs\\", "docs\\user.txt", "unlisted.txt"}),
              InstallReport::ListTree(install.string()));
}

} // namespace
