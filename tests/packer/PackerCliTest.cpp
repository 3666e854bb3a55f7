#include "container/TestFiles.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <functional>

namespace fs = std::filesystem;
using testfiles::Bytes;
using testfiles::RandomBytes;

namespace {

struct ToolRun {
    int status = -1;
    std::string output;
};

ToolRun Orvapack(const std::string& arguments)
{
    ToolRun run;
    std::string command = std::string(ORVAPACK_PATH) + " " + arguments + " 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.output.append(buffer, n);
    int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

class PackerCliTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(product / "docs");
        testfiles::Write(product / "terminal.exe", RandomBytes(20000, 1));
        testfiles::Write(product / "docs" / "a.txt", Bytes("a"));
        testfiles::Write(stub, RandomBytes(4096, 2));
        // The product brings no uninstaller: the generic one lies beside the stub.
        testfiles::Write(dir.path() / "Uninstall.exe", RandomBytes(1000, 3));
        testfiles::Write(dir.path() / "lang.ini", Bytes("[lang]\r\n"));
    }

    std::string Path(const std::string& name) const { return "'" + (dir.path() / name).string() + "'"; }
    std::string BuildArgs(const std::string& out) const
    {
        return "build --stub " + Path("stub.exe") + " --product " + Path("product") + " --lang " + Path("lang.ini") +
               " --out " + Path(out);
    }

    testsupport::ScratchDir dir;
    fs::path product = dir.path() / "product";
    fs::path stub = dir.path() / "stub.exe";
};

// Usage errors exit with 2 and the usage, failures with 1 and a message naming the cause
// (writing no setup), success with 0; the library's own refusals are PackerTest's.
TEST_F(PackerCliTest, ExitStatusAndMessageOfEachCommandLine)
{
    for (const char* args : {"", "frobnicate", "build --stub x", "build --stub a --stub b --product p --out o",
                             "list a b", "extract a b --zip", "build --stub a --product p --out o --lang-encoding utf-8",
                             "build --stub a --product p --lang l --out o --lang-encoding latin1"}) {
        ToolRun run = Orvapack(args);
        EXPECT_EQ(run.status, 2) << args << ": " << run.output;
        EXPECT_NE(run.output.find("usage:"), std::string::npos) << args;
    }
    // Sparse files: nothing of this size is ever written or read.
    const uintmax_t big = uintmax_t(2) << 30;
    testfiles::Write(dir.path() / "huge.bmp", {});
    fs::resize_file(dir.path() / "huge.bmp", big);
    testfiles::WriteSetup(dir.path() / "loop.exe", RandomBytes(4096, 2), testfiles::LoopContainer(4096));
    struct Case {
        std::function<void()> prepare;
        std::string args;
        int status;
        std::string message;
    } cases[] = {
        {nullptr, "--help", 0, "usage:"},
        {nullptr, BuildArgs("setup.exe"), 0, "orvapack: warning: the product has no terminal.ico"},
        {nullptr, "list " + Path("setup.exe"), 0, "Orva.in"},
        {nullptr, "extract " + Path("setup.exe") + " " + Path("out") + " --zip " + Path("p.zip"), 0, ""},
        {nullptr, "list " + Path("nothing.exe"), 1, "nothing.exe"},
        {nullptr, "list " + Path("stub.exe"), 1, "carries no container"},
        // Directories that name themselves: the listing ends.
        {nullptr, "list " + Path("loop.exe"), 1, ""},
        {nullptr, "extract " + Path("setup.exe") + " " + Path("missing/deeper/out"), 1, ""},
        {nullptr, BuildArgs("o.exe") + " --banner " + Path("huge.bmp"), 1, "2 GiB"},
        {nullptr, BuildArgs("o.exe") + " --strict", 1, "refused by --strict: the product has no terminal.ico"},
        {[&] { testfiles::Write(product / "bad\xff.txt", Bytes("x")); }, BuildArgs("o.exe"), 1, "not UTF-8"},
        {[&] {
             fs::remove(product / "bad\xff.txt");
             fs::create_directory_symlink(product / "docs", product / "link");
         },
         BuildArgs("o.exe"), 1, "link"},
        {[&] {
             fs::remove(product / "link");
             testfiles::Write(product / "huge.dat", {});
             fs::resize_file(product / "huge.dat", big);
         },
         BuildArgs("o.exe"), 1, "2 GiB"},
    };
    for (const Case& c : cases) {
        if (c.prepare)
            c.prepare();
        ToolRun run = Orvapack(c.args);
        EXPECT_EQ(run.status, c.status) << c.args << ": " << run.output;
        EXPECT_NE(run.output.find(c.message), std::string::npos) << c.args << ": " << run.output;
        EXPECT_EQ(run.output.find("zipping"), std::string::npos) << "no progress off a terminal";
        EXPECT_FALSE(fs::exists(dir.path() / "o.exe")) << c.args;
    }
    EXPECT_EQ(testfiles::Read(dir.path() / "out" / "install" / "lang.ini"), Bytes("[lang]\r\n"));
    EXPECT_TRUE(fs::exists(dir.path() / "p.zip"));
}

} // namespace
