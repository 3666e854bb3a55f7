// RemoveTree never walks through a symbolic link or junction. The links come from the
// Linux side (make-links.sh); Wine shows them as reparse points.
#include "remover/Remover.h"
#include "FileHelpers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using namespace removertest;

namespace {

// The Windows path of the fixture's folder, through Wine's own path mapping; empty when
// not running under Wine or without the fixture.
std::string LinkDir()
{
    const char* unixPath = std::getenv("ORVANTA_LINK_DIR");
    typedef WCHAR*(CDECL * ToDos)(const char*);
    ToDos toDos = reinterpret_cast<ToDos>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")));
    if (!unixPath || !toDos)
        return std::string();
    WCHAR* dos = toDos(unixPath);
    if (!dos)
        return std::string();
    char path[MAX_PATH] = "";
    ::WideCharToMultiByte(CP_ACP, 0, dos, -1, path, MAX_PATH, nullptr, nullptr);
    ::HeapFree(::GetProcessHeap(), 0, dos);
    return path;
}

class RemoveTreeLinks : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = LinkDir();
        if (dir.empty() || !Exists(dir + "\\target\\keep.txt"))
            GTEST_SKIP() << "needs Wine and the remover_links fixture";
    }
    void ExpectTargetIntact()
    {
        EXPECT_TRUE(Exists(dir + "\\target\\keep.txt"));
        EXPECT_TRUE(Exists(dir + "\\target\\inner\\keep2.txt"));
    }
    std::string dir;
};

} // namespace

TEST_F(RemoveTreeLinks, TheFixturesLinksAreReparsePoints)
{
    DWORD attributes = ::GetFileAttributesA((dir + "\\tree\\sub\\dirlink").c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
    // Reached through the link, the target's files are there: a walk would find them.
    EXPECT_TRUE(Exists(dir + "\\tree\\sub\\dirlink\\inner\\keep2.txt"));
}

TEST_F(RemoveTreeLinks, ALinkInsideTheTreeIsNotWalked)
{
    Remover::RemoveTree(dir + "\\tree");
    EXPECT_FALSE(Exists(dir + "\\tree\\a.txt"));
    EXPECT_FALSE(Exists(dir + "\\tree\\sub\\b.txt"));
    ExpectTargetIntact();
}

TEST_F(RemoveTreeLinks, ALinkGivenAsTheTreeIsNotWalked)
{
    Remover::RemoveTree(dir + "\\toplink");
    ExpectTargetIntact();
}
