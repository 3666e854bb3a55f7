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

TEST_F(PackerCliTest, BuildListExtractRoundTrip)
{
    ToolRun built = Orvapack(BuildArgs("setup.exe"));
    ASSERT_EQ(built.status, 0) << built.output;
    ToolRun listed = Orvapack("list " + Path("setup.exe"));
    EXPECT_EQ(listed.status, 0) << listed.output;
    EXPECT_EQ(listed.output.find("top_log.bmp"), std::string::npos) << "no banner was given";
    EXPECT_NE(built.output.find("orvapack: warning: the product has no terminal.ico"), std::string::npos) << built.output;
    EXPECT_EQ(built.output.find("zipping"), std::string::npos) << "no progress off a terminal";
    ToolRun extracted = Orvapack("extract " + Path("setup.exe") + " " + Path("out") + " --zip " + Path("p.zip"));
    ASSERT_EQ(extracted.status, 0) << extracted.output;
    EXPECT_EQ(testfiles::Read(dir.path() / "out" / "install" / "lang.ini"), Bytes("[lang]\r\n"));
    EXPECT_TRUE(fs::file_size(dir.path() / "p.zip") > 0);
}

TEST_F(PackerCliTest, BadCommandLinesExitWithUsage)
{
    for (const char* args : {"", "frobnicate", "build --stub x", "build --stub a --stub b --product p --out o",
                             "list a b", "extract a b --zip", "build --stub a --product p --out o --lang-encoding utf-8",
                             "build --stub a --product p --lang l --out o --lang-encoding latin1"}) {
        ToolRun run = Orvapack(args);
        EXPECT_EQ(run.status, 2) << args << ": " << run.output;
        EXPECT_NE(run.output.find("usage:"), std::string::npos) << args;
    }
    EXPECT_EQ(Orvapack("--help").status, 0);
}

// Every failure exits with 1 and a message naming the cause, and writes no setup; the
// library's own refusals (missing or used stub, no ZIP) are PackerTest's.
TEST_F(PackerCliTest, FailuresExitWithOneAndAMessage)
{
    ASSERT_EQ(Orvapack(BuildArgs("setup.exe")).status, 0);
    // Sparse files: nothing of this size is ever written or read.
    const uintmax_t big = uintmax_t(2) << 30;
    testfiles::Write(dir.path() / "huge.bmp", {});
    fs::resize_file(dir.path() / "huge.bmp", big);
    struct Case {
        std::function<void()> prepare;
        std::string args, message;
    } cases[] = {
        {nullptr, "list " + Path("nothing.exe"), "nothing.exe"},
        {nullptr, "list " + Path("stub.exe"), "carries no container"},
        {nullptr, "extract " + Path("setup.exe") + " " + Path("missing/deeper/out"), ""},
        {nullptr, BuildArgs("o.exe") + " --banner " + Path("huge.bmp"), "2 GiB"},
        {nullptr, BuildArgs("o.exe") + " --strict", "refused by --strict: the product has no terminal.ico"},
        {[&] { testfiles::Write(product / "bad\xff.txt", Bytes("x")); }, BuildArgs("o.exe"), "not UTF-8"},
        {[&] {
             fs::remove(product / "bad\xff.txt");
             testfiles::Write(product / "docs" / "A.txt", Bytes("A"));
         },
         BuildArgs("o.exe"), "\"docs/A.txt\" and \"docs/a.txt\" are one file"},
        {[&] {
             fs::remove(product / "docs" / "A.txt");
             fs::create_directory_symlink(product / "docs", product / "link");
         },
         BuildArgs("o.exe"), "link"},
        {[&] {
             fs::remove(product / "link");
             testfiles::Write(product / "huge.dat", {});
             fs::resize_file(product / "huge.dat", big);
         },
         BuildArgs("o.exe"), "2 GiB"},
    };
    for (const Case& c : cases) {
        if (c.prepare)
            c.prepare();
        ToolRun run = Orvapack(c.args);
        EXPECT_EQ(run.status, 1) << c.args << ": " << run.output;
        EXPECT_NE(run.output.find(c.message), std::string::npos) << c.args << ": " << run.output;
        EXPECT_FALSE(fs::exists(dir.path() / "o.exe")) << c.args;
    }
}

} // namespace
