// Uninstall.exe /S over product names in every script, and over the names of earlier
// setups, which are bytes of the machine's code page: the product's files go under exactly
// their names, and the user's files beside them, named alike, stay byte for byte. Runs in
// code page 936 and, with ORVANTA_WINE_LOCALE=en_US.UTF-8, in code page 1252.
#include "SetupDriver.h"
#include "framework/ComPtr.h"
#include "framework/FileApi.h"
#include "framework/HandleIo.h"
#include "framework/ScopedCoInit.h"
#include "framework/ScopedHandle.h"
#include "framework/SpecialFolder.h"
#include "framework/WholeFile.h"
#include "framework/WideText.h"
#include "remover/InstallLog.h"
#include "support/ScratchDir.h"
#include "tools/ProductUninstaller.h"
#include "uninstaller/WorkFolder.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

namespace fs = std::filesystem;

namespace {

constexpr DWORD kRunMs = 60000;

std::string WinPath(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return "Z:" + path;
}

bool Put(const std::string& path, const std::string& bytes)
{
    ScopedHandle file(FileApi::Open(path, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL));
    return file && HandleIo::WriteAll(file.get(), bytes.data(), bytes.size());
}

bool SaveLink(const std::string& path, const std::string& target)
{
    ScopedCoInit com;
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> file;
    return SUCCEEDED(link.CreateInstance(CLSID_ShellLink, IID_IShellLinkW)) &&
           SUCCEEDED(link->SetPath(WideText::FromUtf8(target).c_str())) && SUCCEEDED(link.As(file, IID_IPersistFile)) &&
           SUCCEEDED(file->Save(WideText::FromUtf8(path).c_str(), TRUE));
}

// Relative UTF-8 name -> bytes; a folder's name ends in '\'.
using Tree = std::map<std::string, std::string>;

Tree Snapshot(const std::string& folder)
{
    Tree tree;
    const fs::path root = fs::u8path(folder);
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        std::string name = entry.path().lexically_relative(root).u8string();
        std::replace(name.begin(), name.end(), '/', '\\');
        std::string bytes;
        if (entry.is_directory())
            name += "\\";
        else
            EXPECT_TRUE(WholeFile::Read(entry.path().u8string(), bytes, 1u << 20)) << name;
        tree[name] = bytes.size() < 256 ? bytes : std::to_string(bytes.size()) + " bytes";
    }
    return tree;
}

// 文档, a folder of the product that holds a file of the user's too.
const std::string kDocs = "\u6587\u6863";
// One name in each script: Japanese kana, Korean, Cyrillic, an accented Latin letter and
// a character outside the Basic Multilingual Plane, in a folder of the product (Ж) that
// holds nothing else.
const std::vector<std::string> kScripts = {
    kDocs + "\\\u304B\u306A.txt", "\uD55C\uAD6D\uC5B4.txt", "\u041A\u0438\u0440\u0438\u043B\u043B\u0438\u0446\u0430.txt",
    "caf\u00E9.txt", "\U0001F600 smile.txt", "\u0416\\\u00FC.txt"};
// The user's: 文档\用户.txt, the same café decomposed, and the next emoji.
const std::vector<std::string> kUsers = {kDocs + "\\\u7528\u6237.txt", "cafe\u0301.txt", "\U0001F601 smile.txt"};

// Names an earlier setup listed in the machine's code page: the bytes, and the name they
// stand for. In code page 936 one of them has a trail byte that is a backslash (乗).
struct CodePageNames {
    UINT codePage;
    std::string folderBytes, folder;
    std::vector<std::pair<std::string, std::string>> files;
};
const CodePageNames kCodePages[] = {
    {936, "\xCE\xC4\xB5\xB5", kDocs,
     {{"\xCE\xC4\xB5\xB5\\\xB2\xE2\xCA\xD4.txt", kDocs + "\\\u6D4B\u8BD5.txt"}, {"\x81\x5C.txt", "\u4E57.txt"}}},
    {1252, "Dossier \xE9t\xE9", "Dossier \u00E9t\u00E9",
     {{"Dossier \xE9t\xE9\\na\xEFve.txt", "Dossier \u00E9t\u00E9\\na\u00EFve.txt"}, {"\xC6sop.txt", "\u00C6sop.txt"}}},
};

class NamesRemovalTest : public ::testing::Test {
protected:
    // The copies' folders are left for the system to delete at the next start.
    void TearDown() override
    {
        std::error_code error;
        fs::remove_all(fs::u8path(Group()), error);
        fs::remove(fs::u8path(UsersLink()), error);
        for (const auto& entry : fs::directory_iterator(fs::temp_directory_path(), error))
            if (entry.path().filename().u8string().rfind(WorkFolder::Prefix, 0) == 0)
                fs::remove_all(entry.path(), error);
    }

    // The product's files and the user's, each holding its own name, and Uninstall.exe
    // with the list appended, in a new folder named `name`.
    void Install(const std::vector<std::string>& product, const std::string& list, const std::string& name = "Orvanta")
    {
        directory = scratch.file(name + " " + std::to_string(++installs));
        ASSERT_TRUE(FileApi::MakeFolder(directory));
        std::vector<std::string> files = product;
        files.insert(files.end(), kUsers.begin(), kUsers.end());
        for (const std::string& name : files) {
            for (size_t cut = name.find('\\'); cut != std::string::npos; cut = name.find('\\', cut + 1))
                FileApi::MakeFolder(directory + "\\" + name.substr(0, cut));
            ASSERT_TRUE(Put(directory + "\\" + name, "bytes of " + name)) << name;
        }
        std::vector<uint8_t> program;
        std::string error;
        ASSERT_TRUE(ProductUninstaller::MakeProgram(WinPath(ORVANTA_UNINSTALL_EXE), {}, list, program, error))
            << error;
        ASSERT_TRUE(Put(directory + "\\Uninstall.exe", std::string(program.begin(), program.end())));
    }

    // Runs Uninstall.exe /S; what stays must be the tree before without `gone`, and with
    // the bytes `back` where an interrupted installation's file is put back.
    void RemoveExactly(const std::vector<std::string>& gone, const Tree& back = {})
    {
        Tree expected = Snapshot(directory);
        for (const std::string& name : gone)
            EXPECT_EQ(1u, expected.erase(name)) << name << " was there before";
        for (const auto& entry : back)
            expected[entry.first] = entry.second;
        SetupDriver run;
        ASSERT_TRUE(run.Start(directory + "\\Uninstall.exe", "/S"));
        DWORD code = 99;
        ASSERT_TRUE(run.WaitForExit(kRunMs, &code));
        EXPECT_EQ(0u, code);
        EXPECT_EQ(expected, Snapshot(directory));
    }

    // A group and a link named in several scripts, and the user's link to a file of the
    // user's that is named like one of the product's.
    static std::string Group()
    {
        return SpecialFolder::Path(CSIDL_PROGRAMS) + "\\OrvTest \u7EC4 \U0001F600";
    }
    static std::string UsersLink() { return SpecialFolder::Path(CSIDL_DESKTOPDIRECTORY) + "\\OrvTest \u00E9.lnk"; }

    const CodePageNames* ThisCodePage() const
    {
        for (const CodePageNames& names : kCodePages)
            if (names.codePage == ::GetACP())
                return &names;
        return nullptr;
    }

    testsupport::ScratchDir scratch;
    std::string directory;
    int installs = 0;
};

std::vector<std::string> Gone(std::vector<std::string> files, const std::vector<std::string>& more)
{
    files.insert(files.end(), more.begin(), more.end());
    return files;
}

// Lower-case marks: UTF-8 names, removed under exactly those names on any code page, and
// so is the product's link found in the Programs folder, with its group.
TEST_F(NamesRemovalTest, TheListsUtf8NamesAreRemovedExactly)
{
    std::string list = "d " + kDocs + "\r\nd \u0416\r\n";
    for (const std::string& name : kScripts)
        list += "f " + name + "\r\n";
    ASSERT_NO_FATAL_FAILURE(Install(kScripts, list + "F Uninstall.exe\r\n"));
    const std::string link = Group() + "\\\u041A\u0438\u0440\u0438\u043B\u043B\u0438\u0446\u0430 \U0001F600.lnk";
    ASSERT_TRUE(FileApi::MakeFolder(Group()) && SaveLink(link, directory + "\\caf\u00E9.txt"));
    ASSERT_TRUE(SaveLink(UsersLink(), directory + "\\cafe\u0301.txt"));
    RemoveExactly(Gone(kScripts, {"\u0416\\", "Uninstall.exe"}));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, FileApi::Attributes(Group())) << "the product's group";
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, FileApi::Attributes(UsersLink())) << "the user's link";
}

// The install log this setup writes (version 2) names the same files in UTF-8; the list
// names none of them, so only the log can lead to them. The install directory's name is
// outside every code page: it reaches the copy that removes through its command line.
TEST_F(NamesRemovalTest, AUtf8LogsNamesAreRemovedExactly)
{
    ASSERT_NO_FATAL_FAILURE(Install(kScripts, "F Uninstall.exe\r\n", "Orvanta \uD55C \U0001F600"));
    InstallLog log;
    log.directory = directory;
    log.directoryExisted = true;
    log.folders = {kDocs, "\u0416"};
    log.files = Gone(kScripts, {"Uninstall.exe"});
    ASSERT_TRUE(Put(InstallLog::PathIn(directory), log.Serialize()));
    RemoveExactly(Gone(kScripts, {"\u0416\\", "Uninstall.exe", "Uninstall.log"}));
}

// Upper-case marks: the bytes an earlier packer listed, in the machine's code page.
TEST_F(NamesRemovalTest, TheListsCodePageNamesAreRemovedAsTheSetupNamedThem)
{
    const CodePageNames* names = ThisCodePage();
    if (!names)
        GTEST_SKIP() << "no names for code page " << ::GetACP();
    std::string list = "D " + names->folderBytes + "\r\n";
    std::vector<std::string> product;
    for (const auto& file : names->files) {
        list += "F " + file.first + "\r\n";
        product.push_back(file.second);
    }
    ASSERT_NO_FATAL_FAILURE(Install(product, list + "F Uninstall.exe\r\n"));
    std::vector<std::string> gone = Gone(product, {"Uninstall.exe"});
    if (names->folder != kDocs)
        gone.push_back(names->folder + "\\");
    RemoveExactly(gone);
}

// An earlier setup's install log ("Orvanta install log 1"), written here byte for byte:
// its names are the machine's code page, and each reaches the file it named.
TEST_F(NamesRemovalTest, AnEarlierSetupsLogIsAppliedInTheMachinesCodePage)
{
    const CodePageNames* names = ThisCodePage();
    if (!names)
        GTEST_SKIP() << "no names for code page " << ::GetACP();
    std::vector<std::string> product;
    std::string entries = "folder\t" + names->folderBytes + "\n";
    for (const auto& file : names->files) {
        entries += "file\t" + file.first + "\n";
        product.push_back(file.second);
    }
    ASSERT_NO_FATAL_FAILURE(Install(product, "F Uninstall.exe\r\n"));
    ASSERT_TRUE(Put(InstallLog::PathIn(directory), "Orvanta install log 1\ndirectory\t" + directory +
                                                       "\ndirectory-existed\t1\n" + entries +
                                                       "file\tUninstall.exe\ngroup\t\ngroup-existed\t1\nend\n"));
    std::vector<std::string> gone = Gone(product, {"Uninstall.exe", "Uninstall.log"});
    if (names->folder != kDocs)
        gone.push_back(names->folder + "\\");
    RemoveExactly(gone);
}

// The file an interrupted installation had replaced goes back under its name first: from
// this setup's journal (UTF-8 after its header line) and from an earlier setup's (no
// header, the machine's code page).
TEST_F(NamesRemovalTest, AnInterruptedInstallationsFileGoesBackUnderItsName)
{
    const CodePageNames* names = ThisCodePage();
    if (!names)
        GTEST_SKIP() << "no names for code page " << ::GetACP();
    const std::pair<std::string, std::string> journals[] = {
        {"Orvanta set-aside journal 2\n0\t" + kScripts[4] + "\n", kScripts[4]},
        {"0\t" + names->files[1].first + "\n", names->files[1].second},
    };
    for (const auto& journal : journals) {
        SCOPED_TRACE(journal.second);
        ASSERT_NO_FATAL_FAILURE(Install({journal.second}, "F Uninstall.exe\r\n"));
        const std::string aside = directory + "\\~OrvantaSetAside";
        ASSERT_TRUE(FileApi::MakeFolder(aside) && FileApi::MakeFolder(aside + "\\0") &&
                    Put(aside + "\\0\\0", "the user's") && Put(aside + "\\journal.txt", journal.first));
        RemoveExactly({"Uninstall.exe", "~OrvantaSetAside\\", "~OrvantaSetAside\\0\\", "~OrvantaSetAside\\0\\0",
                       "~OrvantaSetAside\\journal.txt"},
                      {{journal.second, "the user's"}});
    }
}

} // namespace
