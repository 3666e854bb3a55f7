#include "container/TestFiles.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;
using testfiles::Bytes;
using testfiles::RandomBytes;

namespace {

// Usage errors exit with 2 and the usage, failures with 1 and a message naming the cause
// (writing no setup), success with 0; the library's own refusals are PackerTest's.
TEST(PackerCliTest, ExitStatusAndMessageOfEachCommandLine)
{
    testsupport::ScratchDir dir;
    fs::path product = dir.path() / "product";
    fs::create_directories(product);
    testfiles::Write(product / "terminal.exe", RandomBytes(20000, 1));
    testfiles::Write(dir.path() / "stub.exe", RandomBytes(4096, 2));
    // The product brings no uninstaller: the generic one lies beside the stub.
    testfiles::Write(dir.path() / "Uninstall.exe", RandomBytes(1000, 3));
    testfiles::Write(dir.path() / "lang.ini", Bytes("[lang]\r\n"));
    testfiles::WriteSetup(dir.path() / "loop.exe", RandomBytes(4096, 2), testfiles::LoopContainer(4096));
    fs::create_directories(dir.path() / "odd" / "bad\xff");
    fs::create_directories(dir.path() / "linked");
    fs::create_directory_symlink(product, dir.path() / "linked" / "link");
    // A sparse file: nothing of this size is ever written or read.
    testfiles::Write(dir.path() / "huge.bmp", {});
    fs::resize_file(dir.path() / "huge.bmp", uintmax_t(2) << 30);
    auto path = [&](const std::string& name) { return "'" + (dir.path() / name).string() + "'"; };
    auto build = [&](const std::string& from, const std::string& out) {
        return "build --stub " + path("stub.exe") + " --product " + path(from) + " --lang " + path("lang.ini") +
               " --out " + path(out);
    };
    const struct {
        std::string args;
        int status;
        std::string message;
    } cases[] = {
        {"frobnicate", 2, "usage:"},
        {"--help", 0, "usage:"},
        {build("product", "setup.exe"), 0, "orvapack: warning: the product has no terminal.ico"},
        {"list " + path("setup.exe"), 0, "Orva.in"},
        {"extract " + path("setup.exe") + " " + path("out") + " --zip " + path("p.zip"), 0, ""},
        {"list " + path("nothing.exe"), 1, "nothing.exe"},
        // Directories that name themselves: the listing ends, refused rather than crashed.
        {"list " + path("loop.exe"), 1, "orvapack: error: "},
        {build("product", "o.exe") + " --banner " + path("huge.bmp"), 1, "2 GiB"},
        {build("product", "o.exe") + " --strict", 1, "refused by --strict: the product has no terminal.ico"},
        {build("odd", "o.exe"), 1, "not UTF-8"},
        {build("linked", "o.exe"), 1, "neither folder nor file"},
    };
    for (const auto& c : cases) {
        int raw = std::system((ORVAPACK_PATH " " + c.args + " >" + path("output.txt") + " 2>&1").c_str());
        std::vector<uint8_t> printed = testfiles::Read(dir.path() / "output.txt");
        std::string output(printed.begin(), printed.end());
        EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, c.status) << c.args << ": " << output;
        EXPECT_NE(output.find(c.message), std::string::npos) << c.args << ": " << output;
        EXPECT_EQ(output.find("zipping"), std::string::npos) << "no progress off a terminal";
        EXPECT_FALSE(fs::exists(dir.path() / "o.exe")) << c.args;
    }
    EXPECT_TRUE(fs::exists(dir.path() / "out" / "install" / "lang.ini") && fs::exists(dir.path() / "p.zip"));
}

} // namespace
