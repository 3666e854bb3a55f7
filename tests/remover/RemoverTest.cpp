// The remover: RemoveTree on over-long paths, links and the paths it must refuse before it
// enumerates anything; an exit while its worker runs past the bound.
#include <shlobj.h>

#include <iterator>

#include "engine/ProfileTest.h"
#include "framework/SpecialFolder.h"
#include "remover/RemovalGuard.h"

using RemoverTest = ProfileTest;

// An entry whose path exceeds MAX_PATH - 1 is skipped: it and the folders above it stay,
// everything reachable within the limit goes.
TEST_F(RemoverTest, SkipsEntriesBeyondThePathLimit)
{
    const std::string a(100, 'a'), f(200, 'f'), root = scratch.file("tree");
    ASSERT_LT(root.size() + a.size() + 9, size_t(MAX_PATH - 1)) << "the first level fits";
    const std::string longPath = "\\\\?\\" + root + "\\" + a + "\\" + f;
    const std::wstring longFile(longPath.begin(), longPath.end());
    ASSERT_TRUE(MakeTree(root, {a + "\\", a + "\\mid.txt", "short.txt"}));
    ::CloseHandle(::CreateFileW(longFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    EXPECT_FALSE(Remover::RemoveTree(root + "\\"));
    EXPECT_EQ(Names({a + "\\", a + "\\" + f}), InstallReport::ListTree(root));
    ::DeleteFileW(longFile.c_str());
}

// The links come from the Linux side (fixture.sh); Wine shows them as reparse points.
TEST_F(RemoverTest, ALinkIsRemovedAsALinkAndNeverWalked)
{
    const std::string dir = LinkDir();
    ASSERT_TRUE(Exists(dir + "\\tree\\sub\\dirlink\\keep.txt")) << "the engine_links fixture";
    Remover::RemoveTree(dir + "\\tree");
    EXPECT_FALSE(Exists(dir + "\\tree\\a.txt"));
    EXPECT_EQ(Names({"keep.txt"}), InstallReport::ListTree(dir + "\\target"));
    // A link into the Windows folder is that folder, whatever its own name says.
    for (const char* path : {"\\winlink", "\\winlink\\orvanta-none"})
        EXPECT_TRUE(RemovalGuard::Refuses(dir + path)) << path;
}

// Each path goes to RemoveTree only once the pure RemovalGuard::Refuses said no, so a
// broken guard fails the test instead of wiping the prefix's folders.
TEST_F(RemoverTest, RefusesRootsDevicePathsAndWellKnownFoldersAndTouchesNothing)
{
    std::string windows = SpecialFolder::Path(CSIDL_WINDOWS), profile = SpecialFolder::Path(CSIDL_PROFILE);
    std::vector<std::string> refused = {
        "", "relative\\dir", "C:dir", "\\dir", "C:\\", "C:\\x\\..", "\\\\server\\share\\", "\\\\?\\C:\\somewhere\\x",
        windows, profile + "\\\\", profile.substr(0, profile.rfind('\\')), windows + "::$INDEX_ALLOCATION",
        windows + "\\system32\\orvanta-none\\x", profile + "\\Downloads"};
    for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_PROGRAM_FILES, CSIDL_COMMON_PROGRAMS,
                      CSIDL_APPDATA, CSIDL_TEMPLATES})
        refused.push_back(SpecialFolder::Path(csidl));
    for (std::string path : std::vector<std::string>(refused))
        refused.push_back(::CharUpperA(&path[0]));
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
    // A drive substituted for the Windows folder leads into it as well.
    ASSERT_TRUE(::DefineDosDeviceA(0, "Q:", windows.c_str()));
    EXPECT_TRUE(RemovalGuard::Refuses("Q:\\orvanta-none\\x"));
    ::DefineDosDeviceA(DDD_REMOVE_DEFINITION, "Q:", nullptr);
    for (const std::string& path : {scratch.file("sub"), Group(), windows + "\\..\\Orvanta"})
        EXPECT_FALSE(RemovalGuard::Refuses(path)) << path;
}

// Past the bound DestroyInstance returns while the removal is still under way (2,000
// deletions take longer), and the worker completes it on the instance it was handed; a
// started remover takes no more entries.
TEST_F(RemoverTest, DestroyPastTheBoundLeavesTheRemovalToTheWorker)
{
    std::string tree = scratch.file("big");
    Names entries = {tree};
    for (int i = 0; i < 2000; ++i) {
        ASSERT_TRUE(MakeTree(tree, {"f" + std::to_string(i)}));
        entries.push_back(tree + "\\f" + std::to_string(i));
    }
    Remover* remover = Remover::Instance();
    remover->AddCreatedEntries(entries);
    ASSERT_TRUE(remover->Start());
    EXPECT_FALSE(remover->AddCreatedEntries({scratch.file("late")}));
    Remover::DestroyInstance(0);
    EXPECT_TRUE(Exists(tree)) << "not waited for";
    for (int i = 0; i < 600 && Exists(tree); ++i)
        ::Sleep(100);
    EXPECT_FALSE(Exists(tree));
}
