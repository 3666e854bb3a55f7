#include "container/TestFiles.h"
#include "support/ScratchDir.h"
#include "tools/PeImage.h"
#include "tools/ProductArchive.h"
#include "tools/ShellCommand.h"

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
    testfiles::Write(dir.path() / "stub.exe", testfiles::MarkedPe(PeImage::SetupMarker, 4096));
    // The product brings no uninstaller: the generic one lies beside the stub.
    testfiles::Write(dir.path() / "Uninstall.exe", testfiles::MarkedPe(PeImage::UninstallerMarker));
    testfiles::Write(dir.path() / "lang.ini", Bytes("[lang]\r\n"));
    testfiles::Write(dir.path() / "garbage.ini", {0x7F, 'E', 'L', 'F', 0xFF, 0x81, 0});
    testfiles::WriteSetup(dir.path() / "loop.exe", RandomBytes(4096, 2), testfiles::LoopContainer(4096));
    fs::create_directories(dir.path() / "odd" / "bad\xff");
    fs::create_directories(dir.path() / "linked");
    fs::create_directory_symlink(product, dir.path() / "linked" / "link");
    fs::create_symlink(dir.path() / "stub.exe", dir.path() / "stub-link.exe");
    const std::vector<uint8_t> stub = testfiles::Read(dir.path() / "stub.exe");
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
        {"build --stub " + path("stub.exe") + " --product " + path("product") + " --lang " + path("garbage.ini") +
             " --out " + path("o.exe"),
         1, (dir.path() / "garbage.ini").string() + " line 1: not text in code page 936"},
        {"build --stub " + path("stub.exe") + " --product " + path("product") + " --lang " + path("garbage.ini") +
             " --lang-encoding utf-8 --out " + path("o.exe"),
         1, (dir.path() / "garbage.ini").string() + " line 1: not UTF-8"},
        {build("product", "o.exe") + " --lang-encoding latin1", 2, "--lang-encoding is cp936 (the default) or utf-8"},
        {"build --stub " + path("lang.ini") + " --product " + path("product") + " --out " + path("o.exe"), 1,
         (dir.path() / "lang.ini").string() + ": not a PE image"},
        // The stub through a link: nothing is written over it.
        {build("product", "stub-link.exe"), 1, "stub-link.exe is the stub " + (dir.path() / "stub.exe").string()},
        {build("product", "o.exe") + " --sign-command true", 2, "needs {file}"},
        {build("product", "o.exe") + " --sign-command '{file}' --sign-command '{file}'", 2, "given twice"},
    };
    for (const auto& c : cases) {
        int raw = std::system((ORVAPACK_PATH " " + c.args + " >" + path("output.txt") + " 2>&1").c_str());
        std::vector<uint8_t> printed = testfiles::Read(dir.path() / "output.txt");
        std::string output(printed.begin(), printed.end());
        EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, c.status) << c.args << ": " << output;
        EXPECT_NE(output.find(c.message), std::string::npos) << c.args << ": " << output;
        EXPECT_EQ(output.find("zipping"), std::string::npos) << "no progress off a terminal";
        EXPECT_FALSE(fs::exists(dir.path() / "o.exe")) << c.args;
        EXPECT_EQ(stub, testfiles::Read(dir.path() / "stub.exe")) << c.args;
    }
    EXPECT_TRUE(fs::exists(dir.path() / "out" / "install" / "lang.ini") && fs::exists(dir.path() / "p.zip"));
}

// Signed with a throw-away certificate through a wrapper (osslsigncode writes a new file),
// into a folder whose name the shell must take literally: the setup verifies and lists as
// signed, and the Uninstall.exe it carries is the one the command signed, and verifies.
TEST(PackerCliTest, SignCommandSignsTheUninstallerAndTheSetup)
{
    testsupport::ScratchDir dir;
    const fs::path odd = dir.path() / "it's \"signed\" $HOME", setup = odd / "setup.exe";
    fs::create_directories(dir.path() / "product");
    fs::create_directories(odd);
    testfiles::Write(dir.path() / "product" / "terminal.exe", RandomBytes(3000, 1));
    testfiles::Write(dir.path() / "stub.exe", testfiles::MarkedPe(PeImage::SetupMarker));
    testfiles::Write(dir.path() / "Uninstall.exe", testfiles::MarkedPe(PeImage::UninstallerMarker, 2000));
    auto sh = [](const fs::path& path) {
        std::string quoted;
        ShellCommand::Quote(path.string(), quoted);
        return quoted;
    };
    auto run = [&](const std::string& line) { return std::system((line + " >/dev/null 2>&1").c_str()); };
    const std::string at = sh(dir.path()), cert = sh(dir.path() / "cert.pem");
    ASSERT_EQ(0, run("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=Test -keyout " +
                     sh(dir.path() / "key.pem") + " -out " + cert));
    testfiles::Write(dir.path() / "sign.sh",
                     Bytes("osslsigncode sign -certs " + cert + " -key " + sh(dir.path() / "key.pem") +
                           " -in \"$1\" -out \"$1.signed\" && mv \"$1.signed\" \"$1\" &&\n"
                           "{ [ -e " + at + "/first.exe ] || cp \"$1\" " + at + "/first.exe; } &&\n"
                           // A signature over a payload that no longer matches its checksum.
                           "case \"$BREAK$1\" in yes*.exe.signing.exe) printf Z | dd of=\"$1\" bs=1 seek=1500 "
                           "conv=notrunc 2>/dev/null;; esac\n"));
    const std::string build = ORVAPACK_PATH " build --stub " + sh(dir.path() / "stub.exe") + " --product " +
                              sh(dir.path() / "product") + " --out " + sh(setup) + " --sign-command \"sh " + at +
                              "/sign.sh {file}\"";
    ASSERT_EQ(0, run(build));
    EXPECT_EQ(0, run("osslsigncode verify -CAfile " + cert + " -in " + sh(setup)));
    EXPECT_EQ(0, run(ORVAPACK_PATH " list " + sh(setup) + " | grep -q '^signed'"));
    ASSERT_EQ(0, run(ORVAPACK_PATH " extract " + sh(setup) + " " + at + "/out --zip " + at + "/p.zip"));
    std::vector<ArchiveItem> items;
    std::string error;
    ASSERT_TRUE(ProductArchive::ReadArchive(testfiles::Read(dir.path() / "p.zip"), &items, error)) << error;
    ASSERT_EQ("Uninstall.exe", items.back().name);
    EXPECT_EQ(testfiles::Read(dir.path() / "first.exe"), items.back().content);
    testfiles::Write(dir.path() / "installed.exe", items.back().content);
    EXPECT_EQ(0, run("osslsigncode verify -CAfile " + cert + " -in " + at + "/installed.exe"));
    EXPECT_EQ((std::vector<std::string>{"setup.exe"}), testfiles::Tree(odd));

    const std::vector<uint8_t> built = testfiles::Read(setup);
    EXPECT_EQ(1 << 8, std::system(("BREAK=yes " + build + " 2>" + at + "/err.txt").c_str()));
    const std::vector<uint8_t> said = testfiles::Read(dir.path() / "err.txt");
    const std::string message(said.begin(), said.end());
    EXPECT_NE(message.find("signing the setup failed (exit code 0): "), std::string::npos) << message;
    EXPECT_NE(message.find("does not match its checksum"), std::string::npos) << message;
    EXPECT_EQ(built, testfiles::Read(setup));
    EXPECT_EQ((std::vector<std::string>{"setup.exe"}), testfiles::Tree(odd));
}

} // namespace
