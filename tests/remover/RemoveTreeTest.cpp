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

bool MakeLongFile(const std::string& path)
{
    HANDLE file = ::CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    ::CloseHandle(file);
    return file != INVALID_HANDLE_VALUE;
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

TEST(RemoveTree, RemovesNestedFoldersAndFilesGivenWithTrailingBackslash)
{
    ScratchDir scratch;
    std::string root = scratch.file("tree");
    ASSERT_TRUE(MakeTree(root, {"a\\", "a\\b\\", "a\\b\\c\\", "empty\\", "top.txt", "a\\.hidden"}));
    ASSERT_TRUE(MakeFile(root + "\\a\\b\\c\\deep.bin", std::string(70000, 'd')));
    ASSERT_TRUE(::SetFileAttributesA((root + "\\a\\.hidden").c_str(), FILE_ATTRIBUTE_HIDDEN));
    EXPECT_TRUE(Remover::RemoveTree(root + "\\"));
    EXPECT_FALSE(Exists(root));
    EXPECT_TRUE(Exists(scratch.str()));
    EXPECT_FALSE(Remover::RemoveTree(scratch.file("absent")));
}

TEST(RemoveTree, ReadOnlyFileKeepsItselfAndItsAncestorsOnly)
{
    ScratchDir scratch;
    std::string root = scratch.file("tree");
    std::string readOnly = root + "\\keep\\deep\\locked.txt";
    ASSERT_TRUE(MakeTree(root, {"keep\\", "keep\\deep\\", "keep\\deep\\emptied\\", "other\\", "keep\\deep\\locked.txt",
                                "keep\\deep\\emptied\\x.txt", "keep\\sibling.txt", "other\\z.txt", "w.txt"}));
    ASSERT_TRUE(::SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));

    EXPECT_FALSE(Remover::RemoveTree(root));
    for (const char* kept : {"\\keep\\deep\\locked.txt", "\\keep\\deep", "\\keep", ""})
        EXPECT_TRUE(Exists(root + kept)) << kept;
    for (const char* gone : {"\\keep\\deep\\emptied", "\\keep\\sibling.txt", "\\other", "\\w.txt"})
        EXPECT_FALSE(Exists(root + gone)) << gone;
    ::SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Entries whose path exceeds MAX_PATH - 1 are skipped: they and the folders above them
// stay, everything reachable within the limit goes.
TEST(RemoveTree, SkipsEntriesBeyondThePathLimit)
{
    ScratchDir scratch;
    std::string root = scratch.file("tree");
    std::string level1 = root + "\\" + std::string(100, 'a');
    std::string level2 = level1 + "\\" + std::string(150, 'b');
    std::string longFile = level1 + "\\" + std::string(200, 'f');
    ASSERT_LT(level1.size(), static_cast<size_t>(MAX_PATH - 1 - 5));
    ASSERT_GT(level2.size(), static_cast<size_t>(MAX_PATH - 1));
    ASSERT_TRUE(MakeTree(root, {std::string(100, 'a') + "\\", std::string(100, 'a') + "\\mid.txt", "short.txt"}));
    ASSERT_TRUE(::CreateDirectoryW(Long(level2).c_str(), nullptr));
    ASSERT_TRUE(MakeLongFile(level2 + "\\deep.txt"));
    ASSERT_TRUE(MakeLongFile(longFile));

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

TEST(RemovalGuard, RefusesRootsRelativeAndDevicePathsAcceptsInstallFolders)
{
    for (const char* path : {"", "relative\\dir", "dir", ".", "..\\x", "C:dir", "C:", "\\dir", "\\", "C:\\", "c:/",
                             "C:\\\\", "C:\\.", "C:\\x\\..", "\\\\server", "\\\\server\\share", "\\\\server\\share\\",
                             "\\\\?\\C:\\somewhere\\x", "\\\\.\\C:\\somewhere\\x"})
        EXPECT_TRUE(RemovalGuard::Refuses(path)) << '"' << path << '"';

    ScratchDir scratch;
    std::string programFiles = ShellFolder(CSIDL_PROGRAM_FILES);
    std::string programs = ShellFolder(CSIDL_COMMON_PROGRAMS);
    ASSERT_FALSE(programFiles.empty() || programs.empty());
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
    ASSERT_FALSE(profile.empty());
    std::string drive = std::string(windows, 2);
    std::vector<std::string> refused = {
        std::string(windows), std::string(windows) + "\\", std::string(windows) + "\\System32\\..",
        std::string(windows) + "\\system32", drive + "\\", drive, profile, profile + "\\\\",
        profile.substr(0, profile.find_last_of('\\'))};
    for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86,
                      CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS, CSIDL_STARTMENU, CSIDL_COMMON_STARTMENU, CSIDL_APPDATA,
                      CSIDL_TEMPLATES})
        refused.push_back(ShellFolder(csidl));
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
    for (const char* name : {"Orvanta 4.00", "Vendor\\Orvanta", "a..b"})
        EXPECT_TRUE(RemovalGuard::IsNameBelow(name)) << name;
    for (const char* name : {"", "..", "..\\x", "x\\..\\..", "x/../..", "... ", "\\x", "C:\\x", "C:x"})
        EXPECT_FALSE(RemovalGuard::IsNameBelow(name)) << '"' << name << '"';
}
