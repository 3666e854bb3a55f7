// The remover: RemoveTree on over-long paths, links and the paths it must refuse before it
// enumerates anything; an exit while its worker runs (what it takes from the install record
// and the wait for the worker are proven by the engine's rollback-order test).
#include <shlobj.h>

#include <iterator>

#include "engine/ProfileTest.h"
#include "remover/RemovalGuard.h"

using RemoverTest = ProfileTest;

// Entries whose path exceeds MAX_PATH - 1 are skipped: they and the folders above them
// stay, everything reachable within the limit goes.
TEST_F(RemoverTest, SkipsEntriesBeyondThePathLimit)
{
    const std::string a(100, 'a'), b(150, 'b'), f(200, 'f'), root = scratch.file("tree");
    ASSERT_LT(root.size() + a.size() + 9, size_t(MAX_PATH - 1)) << "the first level fits";
    // Wide paths of entries below the first level, in the form that lifts the limit.
    auto below = [&](const std::string& name) {
        std::string path = "\\\\?\\" + root + "\\" + a + "\\" + name;
        return std::wstring(path.begin(), path.end());
    };
    const std::wstring level2 = below(b), deep = below(b + "\\deep.txt"), longFile = below(f);
    ASSERT_TRUE(MakeTree(root, {a + "\\", a + "\\mid.txt", "short.txt"}));
    ASSERT_TRUE(::CreateDirectoryW(level2.c_str(), nullptr));
    for (const std::wstring& file : {deep, longFile})
        ::CloseHandle(::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    EXPECT_FALSE(Remover::RemoveTree(root + "\\"));
    EXPECT_EQ(Names({a + "\\", a + "\\" + b + "\\", a + "\\" + f}), InstallReport::ListTree(root));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(deep.c_str()));
    ::DeleteFileW(deep.c_str());
    ::DeleteFileW(longFile.c_str());
    ::RemoveDirectoryW(level2.c_str());
    EXPECT_TRUE(Remover::RemoveTree(root));
    EXPECT_FALSE(Exists(root));
}

// The links come from the Linux side (fixture.sh); Wine shows them as reparse points.
TEST_F(RemoverTest, ALinkIsRemovedAsALinkAndNeverWalked)
{
    const std::string dir = LinkDir();
    if (dir.empty() || !Exists(dir + "\\tree\\sub\\dirlink\\inner\\keep2.txt"))
        GTEST_SKIP() << "needs Wine and the engine_links fixture";
    for (const char* tree : {"\\tree", "\\toplink"}) {
        Remover::RemoveTree(dir + tree);
        EXPECT_FALSE(Exists(dir + "\\tree\\a.txt")) << tree;
        EXPECT_EQ(Names({"inner\\", "inner\\keep2.txt", "keep.txt"}), InstallReport::ListTree(dir + "\\target"))
            << tree;
    }
    // A link into the Windows folder is that folder, whatever its own name says.
    for (const char* path : {"\\winlink", "\\winlink\\system32", "\\winlink\\orvanta-none"})
        EXPECT_TRUE(RemovalGuard::Refuses(dir + path)) << path;
}

// Every path is first checked with the pure RemovalGuard::Refuses, and RemoveTree only
// called when that passed, so a broken guard fails the test instead of wiping the
// prefix's folders. A file is planted only in the profile: under Wine the desktop and
// documents may link to the real home folder.
TEST_F(RemoverTest, RefusesRootsDevicePathsAndWellKnownFoldersAndTouchesNothing)
{
    auto shell = [](int csidl) {
        char path[MAX_PATH] = "";
        HRESULT found = ::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
        return SUCCEEDED(found) ? std::string(path) : "";
    };
    std::string windows = shell(CSIDL_WINDOWS), system = windows + "\\system32", profile = shell(CSIDL_PROFILE);
    std::vector<std::string> refused = {
        "", "relative\\dir", ".", "..\\x", "C:dir", "C:", "\\dir", "\\", "C:\\", "c:/", "C:\\\\", "C:\\.", "C:\\x\\..",
        "\\\\server", "\\\\server\\share\\", "\\\\?\\C:\\somewhere\\x", "\\\\.\\C:\\somewhere\\x", windows,
        system + "\\..", system, profile + "\\\\", profile.substr(0, profile.rfind('\\')),
        windows + "::$INDEX_ALLOCATION", windows + ":$I30:$INDEX_ALLOCATION", scratch.file("dir:stream"),
        "\\\\server\\share:x\\dir", system + "\\drivers", system + "\\orvanta-none\\x", windows + "\\Temp\\Orvanta",
        profile + "\\Downloads"};
    for (int csidl : {CSIDL_PROFILE, CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_PROGRAM_FILES,
                      CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS, CSIDL_STARTMENU,
                      CSIDL_COMMON_STARTMENU, CSIDL_APPDATA, CSIDL_TEMPLATES})
        refused.push_back(shell(csidl));
    for (std::string path : std::vector<std::string>(refused))
        refused.push_back(::CharUpperA(&path[0]));
    std::string sentinel = profile + "\\orvanta-sentinel.txt";
    ASSERT_TRUE(TestZip::Save(sentinel, "x"));
    auto count = [](const std::string& path) {
        std::error_code error;
        return std::distance(std::filesystem::directory_iterator(path, error), {});
    };
    for (const std::string& path : refused) {
        SCOPED_TRACE('"' + path + '"');
        ASSERT_TRUE(RemovalGuard::Refuses(path));
        auto before = count(path);
        EXPECT_FALSE(Remover::RemoveTree(path));
        EXPECT_EQ(before, count(path));
    }
    EXPECT_TRUE(Exists(sentinel));
    ::DeleteFileA(sentinel.c_str());
    // A drive substituted for the Windows folder leads into it as well.
    ASSERT_TRUE(::DefineDosDeviceA(0, "Q:", windows.c_str()));
    for (const char* path : {"Q:\\system32", "Q:\\orvanta-none\\x"})
        EXPECT_TRUE(RemovalGuard::Refuses(path)) << path;
    ::DefineDosDeviceA(DDD_REMOVE_DEFINITION, "Q:", nullptr);
    for (const std::string& path : {scratch.file("sub"), shell(CSIDL_PROGRAM_FILES) + "\\Orvanta 4.00", Group(),
                                    std::string("\\\\server\\share\\Orvanta"), std::string("D:\\Orvanta\\")})
        EXPECT_FALSE(RemovalGuard::Refuses(path)) << path;
}

// Past the bound the instance is handed to the worker: DestroyInstance returns while the
// removal is still under way (2,000 deletions cannot be done in the moment between), and
// the worker completes it on the instance it was handed; a started remover takes no
// more entries.
TEST_F(RemoverTest, DestroyPastTheBoundLeavesTheRemovalToTheWorker)
{
    std::string tree = scratch.file("big");
    for (int i = 0; i < 2000; ++i)
        ASSERT_TRUE(MakeTree(tree, {"f" + std::to_string(i)}));
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
