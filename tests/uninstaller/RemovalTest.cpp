// Uninstall.exe run as a deployment script (/S) and as a person runs it, in install
// directories made by hand: what goes, what stays byte for byte, and when the run ends.
#include "InstallReport.h"
#include "SetupDriver.h"
#include "framework/ComPtr.h"
#include "framework/ScopedCoInit.h"
#include "framework/SpecialFolder.h"
#include "remover/InstallLog.h"
#include "remover/InstallRecordKey.h"
#include "support/ScratchDir.h"
#include "tools/ProductUninstaller.h"
#include "uninstaller/WorkFolder.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

namespace {

constexpr DWORD kRunMs = 60000;
const char kPrefix[] = "OrvTest ";   // every group and link of the tests starts so

std::string WinPath(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return "Z:" + path;
}

std::string Read(const std::string& path)
{
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

void Write(const std::string& path, const std::string& bytes)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// Relative name -> bytes (a program's by their count and hash, to keep a failure legible);
// a folder's name ends in '\' and holds none.
using Tree = std::map<std::string, std::string>;

Tree Snapshot(const std::string& folder, const std::string& prefix = "")
{
    Tree tree;
    for (const std::string& name : InstallReport::ListTree(folder)) {
        if (name.compare(0, prefix.size(), prefix) != 0)
            continue;
        std::string bytes = name.back() == '\\' ? "" : Read(folder + "\\" + name);
        tree[name] = bytes.size() < 256 ? bytes : std::to_string(bytes.size()) + " bytes #" +
                                                      std::to_string(std::hash<std::string>()(bytes));
    }
    return tree;
}

Tree Without(Tree tree, const std::vector<std::string>& gone)
{
    for (const std::string& name : gone)
        EXPECT_EQ(1u, tree.erase(name)) << name << " was there before";
    return tree;
}

// The folders of the profile that shortcuts go to, by the first part of the names below.
const std::pair<std::string, int> kProfile[] = {
    {"common", CSIDL_COMMON_PROGRAMS}, {"user", CSIDL_PROGRAMS}, {"desktop", CSIDL_DESKTOPDIRECTORY}};

std::string InProfile(const std::string& name)
{
    size_t split = name.find('\\');
    for (const auto& folder : kProfile)
        if (name.compare(0, split, folder.first) == 0)
            return SpecialFolder::Path(folder.second) + name.substr(split);
    return std::string();
}

// What the tests made in the profile.
Tree Profile()
{
    Tree tree;
    for (const auto& folder : kProfile)
        for (const auto& entry : Snapshot(SpecialFolder::Path(folder.second), kPrefix))
            tree[folder.first + "\\" + entry.first] = entry.second;
    return tree;
}

void SaveLink(const std::string& path, const std::string& target)
{
    fs::create_directories(fs::path(path).parent_path());
    ScopedCoInit com;
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> file;
    ASSERT_TRUE(SUCCEEDED(link.CreateInstance(CLSID_ShellLink, IID_IShellLinkA)) &&
                SUCCEEDED(link->SetPath(target.c_str())) && SUCCEEDED(link.As(file, IID_IPersistFile)) &&
                SUCCEEDED(file->Save(std::wstring(path.begin(), path.end()).c_str(), TRUE)))
        << path;
}

class RemovalTest : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    // The copies' folders are left for the system to delete at the next start; those of
    // copies that have ended go now.
    static void Clean()
    {
        ::SHDeleteKeyA(HKEY_CURRENT_USER, InstallRecordKey::Path);
        std::error_code error;
        for (const auto& entry : Profile())
            fs::remove_all(InProfile(entry.first), error);
        for (const auto& entry : fs::directory_iterator(fs::temp_directory_path(), error))
            if (entry.path().filename().string().rfind(WorkFolder::Prefix, 0) == 0)
                fs::remove_all(entry.path(), error);
    }

    // directory\Uninstall.exe: the generic uninstaller with list appended and no lang.ini
    // (its built-in texts), and the record naming directory.
    static void Install(const std::string& directory, const std::string& list)
    {
        std::vector<uint8_t> program;
        std::string error;
        ASSERT_TRUE(ProductUninstaller::MakeProgram(WinPath(ORVANTA_UNINSTALL_EXE), {}, list, program, error)) << error;
        Write(directory + "\\Uninstall.exe", std::string(program.begin(), program.end()));
        ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeyValueA(HKEY_CURRENT_USER, InstallRecordKey::Path,
                                                   InstallRecordKey::InstallPath, REG_SZ, directory.c_str(),
                                                   DWORD(directory.size() + 1)));
    }

    testsupport::ScratchDir scratch;
};

// /S ends once the removal has, with its result. What the installation made goes: by its
// install log, or without one by the product list and the links that lead to a listed
// file, at any depth below the Programs folders, with a group folder and its parents that
// this emptied. The user's files and folder, another product's file, group and link in the
// shared directory, a link to a document there and an empty group stay byte for byte, as
// does a listed file beyond a link inside the directory, which makes the run incomplete.
TEST_F(RemovalTest, SilentRunRemovesWhatTheInstallationMadeAndEndsWithItsResult)
{
    using Links = std::vector<std::pair<std::string, std::string>>;   // in the profile, to a file of the directory
    const std::string ours = "common\\OrvTest Vendor\\OrvTest App\\";
    const struct {
        const char* folder;   // of fixture.sh
        bool logged;
        Links links;
        std::vector<std::string> goneHere, goneThere;
    } rows[] = {
        {"log", true,
         {{"common\\OrvTest App\\App.lnk", "app.exe"}, {"common\\OrvTest App\\Uninstall.lnk", "Uninstall.exe"},
          {"desktop\\OrvTest App.lnk", "app.exe"}},
         {"app.exe", "docs\\", "docs\\readme.txt", "Uninstall.exe", "Uninstall.log"},
         {"common\\OrvTest App\\", "common\\OrvTest App\\App.lnk", "common\\OrvTest App\\Uninstall.lnk",
          "desktop\\OrvTest App.lnk"}},
        {"list", false,
         {{ours + "App.lnk", "app.exe"}, {ours + "Uninstall.lnk", "Uninstall.exe"},
          {"user\\OrvTest Vendor\\OrvTest App\\App.lnk", "app.exe"}, {"desktop\\OrvTest App.lnk", "app.exe"}},
         {"app.exe", "docs\\", "docs\\readme.txt", "extra.txt", "Uninstall.exe"},
         {ours, ours + "App.lnk", ours + "Uninstall.lnk", "user\\OrvTest Vendor\\",
          "user\\OrvTest Vendor\\OrvTest App\\", "user\\OrvTest Vendor\\OrvTest App\\App.lnk",
          "desktop\\OrvTest App.lnk"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.folder);
        const std::string directory = WinPath(ORVANTA_LINK_DIR) + "\\" + row.folder;
        ASSERT_TRUE(fs::exists(directory + "\\outside\\keep.txt")) << "made by fixture.sh";
        for (const char* file : {"app.exe", "docs\\readme.txt", "extra.txt", "my.txt", "mine\\notes.txt", "doc.txt",
                                 "other.exe"})
            Write(directory + "\\" + file, std::string(file) + " of " + row.folder);
        ASSERT_NO_FATAL_FAILURE(Install(directory, "D docs\r\nF app.exe\r\nF docs\\readme.txt\r\nF extra.txt\r\n"
                                                   "F outside\\keep.txt\r\nF Uninstall.exe\r\n"));
        Links links = row.links;
        links.insert(links.end(),
                     {{"common\\OrvTest Other\\Other.lnk", "other.exe"}, {"desktop\\OrvTest Doc.lnk", "doc.txt"}});
        for (const auto& link : links)
            ASSERT_NO_FATAL_FAILURE(SaveLink(InProfile(link.first), directory + "\\" + link.second));
        fs::create_directories(InProfile("common\\OrvTest Vendor\\OrvTest Empty"));
        if (row.logged) {
            InstallLog log;
            log.directory = directory;
            log.folders = {"docs"};
            log.files = {"app.exe", "docs\\readme.txt", "outside\\keep.txt", "Uninstall.exe"};
            log.group = InProfile("common\\OrvTest App");
            for (const auto& link : row.links)
                log.shortcuts.push_back(InProfile(link.first));
            Write(InstallLog::PathIn(directory), log.Serialize());
        }
        const Tree here = Snapshot(directory), there = Profile();

        SetupDriver run;
        ASSERT_TRUE(run.Start(directory + "\\Uninstall.exe", "/S"));
        DWORD code = 99;
        ASSERT_TRUE(run.WaitForExit(kRunMs, &code));
        EXPECT_EQ(1u, code) << "a listed file stayed beyond the link";
        EXPECT_EQ(Without(here, row.goneHere), Snapshot(directory));
        EXPECT_EQ(Without(there, row.goneThere), Profile());
        EXPECT_FALSE(InstallReport::RecordExists());
        Clean();
    }
}

// A person's run where an installation was interrupted: the file it had replaced is put
// back first, the one report says so, and the run that was asked ends after it.
TEST_F(RemovalTest, AskedRunPutsBackWhatAnInterruptedInstallationReplacedAndSaysSo)
{
    const std::string doneZh = "Orvanta 4.00 \u5DF2\u7ECF\u4ECE\u60A8\u7684\u8BA1\u7B97\u673A\u4E2D\u79FB\u9664.";
    const std::string putBackZh = "\u5B89\u88C5\u4E2D\u65AD\u65F6\u88AB\u66FF\u6362\u7684\u6587\u4EF6"
                                  "\u5DF2\u5148\u884C\u6062\u590D\u3002";
    const std::string directory = scratch.file("Orvanta"), aside = directory + "\\~OrvantaSetAside";
    Write(directory + "\\app.exe", "app");
    Write(directory + "\\notes.txt", "the interrupted installation's");
    Write(aside + "\\0\\0", "the user's notes");
    Write(aside + "\\journal.txt", "0\tnotes.txt\n");
    ASSERT_NO_FATAL_FAILURE(Install(directory, "F app.exe\r\nF Uninstall.exe\r\n"));

    SetupDriver run;
    ASSERT_TRUE(run.Start(directory + "\\Uninstall.exe"));
    HWND box = run.WaitForMessageBox(kRunMs);
    ASSERT_TRUE(box && SetupDriver::Answer(box, IDYES)) << "no question";
    auto report = [&] {
        DWORD owner = 0;
        box = SetupDriver::FindMessageBox(0);
        return box && ::GetWindowThreadProcessId(box, &owner) && owner != run.ProcessId();
    };
    ASSERT_TRUE(WaitUntil(kRunMs, report)) << "no report";
    EXPECT_EQ(doneZh + "\r\n\r\n" + putBackZh, SetupDriver::MessageBoxText(box));
    EXPECT_TRUE(run.Running()) << "the run that was asked ends with the report";
    ASSERT_TRUE(SetupDriver::Answer(box, IDOK));
    DWORD code = 99;
    ASSERT_TRUE(run.WaitForExit(kRunMs, &code));
    EXPECT_EQ(0u, code);
    EXPECT_EQ((Tree{{"notes.txt", "the user's notes"}}), Snapshot(directory));
}

} // namespace
