// RemoveTree on real folders: nesting, undeletable items, over-long paths, and the paths
// it must refuse before it enumerates anything.
#include "remover/RemovalGuard.h"
#include "remover/Remover.h"
#include "FileHelpers.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace removertest;
using testsupport::ScratchDir;

namespace {

std::wstring Long(const std::string& path)
{
    return L"\\\\?\\" + std::wstring(path.begin(), path.end());
}

size_t EntryCount(const std::string& folder)
{
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    size_t count = 0;
    do
        ++count;
    while (::FindNextFileA(find, &data));
    ::FindClose(find);
    return count;
}

} // namespace

TEST(RemoveTree, RemovesNestedFoldersAndFiles)
{
    ScratchDir scratch;
    std::string root = scratch.file("tree");
    ASSERT_TRUE(MakeDir(root));
    ASSERT_TRUE(MakeDir(root + "\\a"));
    ASSERT_TRUE(MakeDir(root + "\\a\\b"));
    ASSERT_TRUE(MakeDir(root + "\\a\\b\\c"));
    ASSERT_TRUE(MakeDir(root + "\\empty"));
    ASSERT_TRUE(MakeFile(root + "\\top.txt"));
    ASSERT_TRUE(MakeFile(root + "\\a\\b\\c\\deep.bin", std::string(70000, 'd')));
    ASSERT_TRUE(MakeFile(root + "\\a\\.hidden"));
    ASSERT_TRUE(::SetFileAttributesA((root + "\\a\\.hidden").c_str(), FILE_ATTRIBUTE_HIDDEN));

    EXPECT_TRUE(Remover::RemoveTree(root));
    EXPECT_FALSE(Exists(root));
    EXPECT_TRUE(Exists(scratch.str()));
}

TEST(RemoveTree, ReadOnlyFileKeepsItselfAndItsAncestorsOnly)
{
    ScratchDir scratch;
    std::string root = scratch.file("tree");
    ASSERT_TRUE(MakeDir(root));
    ASSERT_TRUE(MakeDir(root + "\\keep"));
    ASSERT_TRUE(MakeDir(root + "\\keep\\deep"));
    ASSERT_TRUE(MakeDir(root + "\\keep\\deep\\emptied"));
    ASSERT_TRUE(MakeDir(root + "\\other"));
    std::string readOnly = root + "\\keep\\deep\\locked.txt";
    ASSERT_TRUE(MakeFile(readOnly));
    ASSERT_TRUE(::SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(MakeFile(root + "\\keep\\deep\\emptied\\x.txt"));
    ASSERT_TRUE(MakeFile(root + "\\keep\\sibling.txt"));
    ASSERT_TRUE(MakeFile(root + "\\other\\z.txt"));
    ASSERT_TRUE(MakeFile(root + "\\w.txt"));

    EXPECT_FALSE(Remover::RemoveTree(root));

    EXPECT_TRUE(Exists(readOnly));
    EXPECT_TRUE(Exists(root + "\\keep\\deep"));
    EXPECT_TRUE(Exists(root + "\\keep"));
    EXPECT_TRUE(Exists(root));
    EXPECT_FALSE(Exists(root + "\\keep\\deep\\emptied"));
    EXPECT_FALSE(Exists(root + "\\keep\\sibling.txt"));
    EXPECT_FALSE(Exists(root + "\\other"));
    EXPECT_FALSE(Exists(root + "\\w.txt"));

    ::SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(RemoveTree, AcceptsAFolderPathWithATrailingBackslash)
{
    ScratchDir scratch;
    std::string root = scratch.file("tree");
    ASSERT_TRUE(MakeDir(root));
    ASSERT_TRUE(MakeDir(root + "\\sub"));
    ASSERT_TRUE(MakeFile(root + "\\sub\\x.txt"));
    EXPECT_TRUE(Remover::RemoveTree(root + "\\"));
    EXPECT_FALSE(Exists(root));
}

TEST(RemoveTree, MissingFolderCostsNothing)
{
    ScratchDir scratch;
    EXPECT_FALSE(Remover::RemoveTree(scratch.file("absent")));
    EXPECT_TRUE(Exists(scratch.str()));
}

// Entries whose path exceeds MAX_PATH - 1 are skipped: they and the folders above them
// stay, everything reachable within the limit goes.
TEST(RemoveTree, SkipsEntriesBeyondThePathLimit)
{
    ScratchDir scratch;
    std::string root = scratch.file("tree");
    ASSERT_TRUE(MakeDir(root));
    std::string level1 = root + "\\" + std::string(100, 'a');
    ASSERT_LT(level1.size(), static_cast<size_t>(MAX_PATH - 1 - 5));
    std::string level2 = level1 + "\\" + std::string(150, 'b');
    std::string longFile = level1 + "\\" + std::string(200, 'f');
    ASSERT_GT(level2.size(), static_cast<size_t>(MAX_PATH - 1));
    ASSERT_TRUE(MakeDir(level1));
    ASSERT_TRUE(::CreateDirectoryW(Long(level2).c_str(), nullptr));
    HANDLE deep = ::CreateFileW(Long(level2 + "\\deep.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(deep, INVALID_HANDLE_VALUE);
    ::CloseHandle(deep);
    HANDLE wide = ::CreateFileW(Long(longFile).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(wide, INVALID_HANDLE_VALUE);
    ::CloseHandle(wide);
    ASSERT_TRUE(MakeFile(level1 + "\\mid.txt"));
    ASSERT_TRUE(MakeFile(root + "\\short.txt"));

    EXPECT_FALSE(Remover::RemoveTree(root));

    EXPECT_FALSE(Exists(root + "\\short.txt"));
    EXPECT_FALSE(Exists(level1 + "\\mid.txt"));
    EXPECT_TRUE(Exists(level1));
    EXPECT_NE(::GetFileAttributesW(Long(level2 + "\\deep.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(::GetFileAttributesW(Long(longFile).c_str()), INVALID_FILE_ATTRIBUTES);

    ::DeleteFileW(Long(level2 + "\\deep.txt").c_str());
    ::DeleteFileW(Long(longFile).c_str());
    ::RemoveDirectoryW(Long(level2).c_str());
}

TEST(RemovalGuard, RefusesRootsRelativeAndDevicePaths)
{
    for (const char* path : {"", "relative\\dir", "dir", ".", "..\\x", "C:dir", "C:", "\\dir", "\\", "C:\\", "c:/",
                             "C:\\\\", "C:\\.", "C:\\x\\..", "\\\\server", "\\\\server\\share", "\\\\server\\share\\",
                             "\\\\?\\C:\\somewhere\\x", "\\\\.\\C:\\somewhere\\x"})
        EXPECT_TRUE(RemovalGuard::Refuses(path)) << '"' << path << '"';
}

TEST(RemovalGuard, AcceptsOrdinaryInstallFolders)
{
    ScratchDir scratch;
    std::string programFiles = ShellFolder(CSIDL_PROGRAM_FILES);
    std::string programs = ShellFolder(CSIDL_COMMON_PROGRAMS);
    ASSERT_FALSE(programFiles.empty());
    ASSERT_FALSE(programs.empty());
    for (const std::string& path : {scratch.str(), scratch.file("sub"), programFiles + "\\Orvanta 4.00",
                                    programs + "\\Orvanta", std::string("\\\\server\\share\\Orvanta"),
                                    std::string("D:\\Orvanta\\")})
        EXPECT_FALSE(RemovalGuard::Refuses(path)) << path;
}

// The refusal comes before any enumeration. Every path is first checked with the pure
// RemovalGuard::Refuses, and RemoveTree is only called on it when that passed, so a
// broken guard fails this test instead of wiping the prefix's folders.
TEST(RemoveTree, RefusesWellKnownFoldersAndTouchesNothing)
{
    char windows[MAX_PATH] = "";
    ASSERT_GT(::GetWindowsDirectoryA(windows, MAX_PATH), 0u);
    std::string profile = ShellFolder(CSIDL_PROFILE);
    std::string desktop = ShellFolder(CSIDL_DESKTOPDIRECTORY);
    std::string documents = ShellFolder(CSIDL_PERSONAL);
    ASSERT_FALSE(profile.empty());
    ASSERT_FALSE(desktop.empty());
    ASSERT_FALSE(documents.empty());
    std::string drive = std::string(windows, 2);
    std::string profiles = profile.substr(0, profile.find_last_of('\\'));

    std::vector<std::string> refused = {
        std::string(windows), std::string(windows) + "\\", std::string(windows) + "\\System32\\..",
        std::string(windows) + "\\system32", drive + "\\", drive, profile, profile + "\\\\", profiles, desktop,
        documents, ShellFolder(CSIDL_PROGRAM_FILES), ShellFolder(CSIDL_PROGRAM_FILESX86), ShellFolder(CSIDL_PROGRAMS),
        ShellFolder(CSIDL_COMMON_PROGRAMS), ShellFolder(CSIDL_STARTMENU), ShellFolder(CSIDL_COMMON_STARTMENU),
        ShellFolder(CSIDL_APPDATA), ShellFolder(CSIDL_TEMPLATES)};
    for (std::string& path : std::vector<std::string>(refused))
        refused.push_back(std::string(CharUpperA(&path[0])));

    // "Touched" is judged by each folder's entry count; a file is planted only in the
    // profile, since under Wine the desktop and documents link to the real home folder.
    std::string sentinel = profile + "\\orvanta-sentinel.txt";
    ASSERT_EQ(::GetFileAttributesA(profile.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
    ASSERT_TRUE(MakeFile(sentinel));
    std::vector<size_t> before;
    for (const std::string& path : refused)
        before.push_back(EntryCount(path));

    for (size_t i = 0; i < refused.size(); ++i) {
        const std::string& path = refused[i];
        ASSERT_FALSE(path.empty());
        ASSERT_TRUE(RemovalGuard::Refuses(path)) << path;
        EXPECT_FALSE(Remover::RemoveTree(path)) << path;
        EXPECT_EQ(EntryCount(path), before[i]) << path;
    }
    EXPECT_TRUE(Exists(sentinel));
    ::DeleteFileA(sentinel.c_str());
    EXPECT_TRUE(Exists(std::string(windows) + "\\system32"));
}

TEST(RemovalGuard, NameBelowRejectsClimbingAndAbsoluteNames)
{
    EXPECT_TRUE(RemovalGuard::IsNameBelow("Orvanta 4.00"));
    EXPECT_TRUE(RemovalGuard::IsNameBelow("Vendor\\Orvanta"));
    EXPECT_TRUE(RemovalGuard::IsNameBelow("a..b"));
    for (const char* name : {"", "..", "..\\x", "x\\..\\..", "x/../..", "... ", "\\x", "C:\\x", "C:x"})
        EXPECT_FALSE(RemovalGuard::IsNameBelow(name)) << '"' << name << '"';
}
