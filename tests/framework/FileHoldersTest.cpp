#include "framework/FileHolders.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>

#include "support/ScratchDir.h"

namespace {

TEST(FileHolders, NamesNobodyForAFileNobodyHolds)
{
    testsupport::ScratchDir scratch;
    std::ofstream(scratch.path() / "free.txt") << "free";
    EXPECT_TRUE(FileHolders::Of((scratch.path() / "free.txt").u8string()).empty());
    EXPECT_TRUE(FileHolders::Of((scratch.path() / "missing.txt").u8string()).empty());
}

// The holder here is this test program itself; where the system's Restart Manager names
// no one (Wine's does not track holders), there is nothing to compare.
TEST(FileHolders, NamesTheProgramThatHoldsTheFile)
{
    testsupport::ScratchDir scratch;
    std::filesystem::path path = scratch.path() / "\xEC\x84\xA4\xEC\xB9\x98.exe";
    HANDLE held = ::CreateFileW(path.wstring().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    std::vector<std::string> names = FileHolders::Of(path.u8string());
    ::CloseHandle(held);
    if (names.empty())
        GTEST_SKIP() << "the system's Restart Manager names no holder here";
    bool found = false;
    for (const std::string& name : names)
        found = found || name.find("framework_tests") != std::string::npos;
    EXPECT_TRUE(found) << names.front();
}

} // namespace
