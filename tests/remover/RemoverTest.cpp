// The remover: RemoveTree on over-long paths, links and the paths it must refuse before it
// enumerates anything; what it takes from the install record; an exit while its worker runs
// (the wait for the worker is proven by the engine's rollback-order test).
#include <algorithm>
#include <cstdlib>

#include "engine/ProfileTest.h"
#include "remover/RemovalGuard.h"
#include "remover/Remover.h"

namespace {

using RemoverTest = ProfileTest;

std::wstring Long(const std::string& path)
{
    return L"\\\\?\\" + std::wstring(path.begin(), path.end());
}

} // namespace

// Entries whose path exceeds MAX_PATH - 1 are skipped: they and the folders above them
// stay, everything reachable within the limit goes.
TEST_F(RemoverTest, SkipsEntriesBeyondThePathLimit)
{
    std::string root = scratch.file("tree"), level1 = root + "\\" + std::string(100, 'a');
    std::string level2 = level1 + "\\" + std::string(150, 'b'), longFile = level1 + "\\" + std::string(200, 'f');
    ASSERT_LT(level1.size() + 8, size_t(MAX_PATH - 1));
    ASSERT_GT(level2.size(), size_t(MAX_PATH - 1));
    ASSERT_TRUE(MakeTree(root, {std::string(100, 'a') + "\\", std::string(100, 'a') + "\\mid.txt", "short.txt"}));
    ASSERT_TRUE(::CreateDirectoryW(Long(level2).c_str(), nullptr));
    for (const std::string& file : {level2 + "\\deep.txt", longFile})
        ::CloseHandle(::CreateFileW(Long(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    EXPECT_FALSE(Remover::RemoveTree(root + "\\"));
    EXPECT_EQ(std::vector<std::string>({std::string(100, 'a')}), Entries(root));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(Long(level2 + "\\deep.txt").c_str()));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(Long(longFile).c_str()));
    ::DeleteFileW(Long(level2 + "\\deep.txt").c_str());
    ::DeleteFileW(Long(longFile).c_str());
    ::RemoveDirectoryW(Long(level2).c_str());
    EXPECT_TRUE(Remover::RemoveTree(root));
    EXPECT_FALSE(Exists(root));
}

// The links come from the Linux side (make-links.sh); Wine shows them as reparse points.
TEST_F(RemoverTest, ALinkIsRemovedAsALinkAndNeverWalked)
{
    const char* unixDir = std::getenv("ORVANTA_LINK_DIR");
    std::string dir = std::string("Z:") + (unixDir ? unixDir : "");
    std::replace(dir.begin(), dir.end(), '/', '\\');
    if (!unixDir || !Exists(dir + "\\tree\\sub\\dirlink\\inner\\keep2.txt"))
        GTEST_SKIP() << "needs Wine and the remover_links fixture";
    for (const char* tree : {"\\tree", "\\toplink"}) {
        Remover::RemoveTree(dir + tree);
        EXPECT_FALSE(Exists(dir + "\\tree\\a.txt")) << tree;
        EXPECT_TRUE(Exists(dir + "\\target\\keep.txt")) << tree;
        EXPECT_TRUE(Exists(dir + "\\target\\inner\\keep2.txt")) << tree;
    }    // A link into the Windows folder is that folder, whatever its own name says.
    for (const char* path : {"\\winlink", "\\winlink\\system32", "\\winlink\\orvanta-none"})
        EXPECT_TRUE(RemovalGuard::Refuses(dir + path)) << path;
}

// Every path is first checked with the pure RemovalGuard::Refuses, and RemoveTree only
// called when that passed, so a broken guard fails the test instead of wiping the
// prefix's folders. A file is planted only in the profile: under Wine the desktop and
// documents may link to the real home folder.
TEST_F(RemoverTest, RefusesRootsDevicePathsAndWellKnownFoldersAndTouchesNothing)
{
    char windows[MAX_PATH] = "";
    ASSERT_GT(::GetWindowsDirectoryA(windows, MAX_PATH), 0u);
    std::string profile = ShellFolder(CSIDL_PROFILE), system = std::string(windows) + "\\system32";
    std::vector<std::string> refused = {
        "", "relative\\dir", ".", "..\\x", "C:dir", "C:", "\\dir", "\\", "C:\\", "c:/", "C:\\\\", "C:\\.", "C:\\x\\..",
        "\\\\server", "\\\\server\\share\\", "\\\\?\\C:\\somewhere\\x", "\\\\.\\C:\\somewhere\\x", windows,
        system + "\\..", system, profile + "\\", profile.substr(0, profile.rfind('\\', profile.size() - 2)),
        std::string(windows) + "::$INDEX_ALLOCATION", std::string(windows) + ":$I30:$INDEX_ALLOCATION",
        scratch.file("dir:stream"), "\\\\server\\share:x\\dir", system + "\\drivers", system + "\\orvanta-none\\x",
        std::string(windows) + "\\Temp\\Orvanta", ShellFolder(CSIDL_PROFILE) + "Downloads"};
    for (int csidl : {CSIDL_PROFILE, CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_PROGRAM_FILES,
                      CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS, CSIDL_STARTMENU,
                      CSIDL_COMMON_STARTMENU, CSIDL_APPDATA, CSIDL_TEMPLATES})
        refused.push_back(ShellFolder(csidl).substr(0, ShellFolder(csidl).size() - 1));
    for (std::string path : std::vector<std::string>(refused))
        refused.push_back(::CharUpperA(&path[0]));
    std::string sentinel = profile + "orvanta-sentinel.txt";
    ASSERT_TRUE(TestZip::Save(sentinel, "x"));
    for (const std::string& path : refused) {
        ASSERT_TRUE(RemovalGuard::Refuses(path)) << '"' << path << '"';
        size_t before = Entries(path).size();
        EXPECT_FALSE(Remover::RemoveTree(path)) << path;
        EXPECT_EQ(before, Entries(path).size()) << path;
    }
    EXPECT_TRUE(Exists(sentinel));
    ::DeleteFileA(sentinel.c_str());
    // A drive substituted for the Windows folder leads into it as well.
    if (::DefineDosDeviceA(0, "Q:", windows)) {
        for (const char* path : {"Q:\\system32", "Q:\\orvanta-none\\x"})
            EXPECT_TRUE(RemovalGuard::Refuses(path)) << path;
        ::DefineDosDeviceA(DDD_REMOVE_DEFINITION, "Q:", nullptr);
    }
    for (const std::string& path : {scratch.file("sub"), ShellFolder(CSIDL_PROGRAM_FILES) + "Orvanta 4.00", Group(),
                                    std::string("\\\\server\\share\\Orvanta"), std::string("D:\\Orvanta\\")})
        EXPECT_FALSE(RemovalGuard::Refuses(path)) << path;
}

// A value beyond seventy-nine characters reads empty; a group or desktop name that climbs
// out of its folder would name an unrelated one. Neither is queued.
TEST_F(RemoverTest, OverlongOrClimbingRecordValuesAreNotQueued)
{
    std::string fits = "C:\\" + std::string(76, 'p');
    CreateRecord({{"InstallPath", fits}});
    EXPECT_EQ(fits, Remover::GetRecordValue("InstallPath"));
    CreateRecord(
        {{"InstallPath", fits + "q"}, {"ProgramGroup", "..\\..\\Start Menu"}, {"DesktopName", "C:\\Documents\\x"}});
    EXPECT_EQ("", Remover::GetRecordValue("InstallPath"));
    EXPECT_TRUE(Remover::Instance()->Directories().empty());
    EXPECT_TRUE(Remover::Instance()->Files().empty());
}

// Past the bound the instance is handed to the worker: DestroyInstance returns while the
// removal is still under way (2,000 deletions cannot be done in the moment between), and
// the worker completes it on the instance it was handed; a started remover takes no
// more entries.
TEST_F(RemoverTest, DestroyPastTheBoundLeavesTheRemovalToTheWorker)
{
    std::string tree = scratch.file("big");
    ASSERT_TRUE(MakeTree(tree, Numbered(2000)));
    Remover* remover = Remover::Instance();
    remover->AddDirectory(tree);
    ASSERT_TRUE(remover->Start());
    EXPECT_FALSE(remover->AddDirectory(scratch.file("late")));
    EXPECT_FALSE(remover->AddFile(scratch.file("late.txt")));
    EXPECT_FALSE(remover->KeepRecordedInstallation());
    Remover::DestroyInstance(0);
    EXPECT_TRUE(Exists(tree)) << "not waited for";
    for (int i = 0; i < 600 && Exists(tree); ++i)
        ::Sleep(100);
    EXPECT_FALSE(Exists(tree));
}
