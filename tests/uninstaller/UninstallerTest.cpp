#include "InstallReport.h"
#include "framework/AdminOnlySecurity.h"
#include "framework/HeldFolder.h"
#include "framework/ScopedHandle.h"
#include "remover/FolderPath.h"
#include "support/ScratchDir.h"
#include "uninstaller/ExitCodePipe.h"
#include "uninstaller/ProductList.h"
#include "uninstaller/UninstallCommand.h"
#include "uninstaller/WorkFolder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// Only names that stay below the install directory are taken; a damaged or hostile list
// can only remove less.
TEST(ProductList, TakesOnlyWellFormedNamesBelowTheDirectory)
{
    ProductList list;
    list.Parse("D docs\r\nF a.txt\r\nF ..\\up.txt\r\nF docs\\..\\..\\up.txt\r\nF C:\\x.txt\r\nF C:x.txt\r\n"
               "F \\root.txt\r\nF \\\\server\\share\\x\r\nX other\r\nFa.txt\r\nD \r\nF docs\\b.txt\nD docs\\sub");
    EXPECT_EQ((std::vector<std::string>{"a.txt", "docs\\b.txt"}), list.Files());
    EXPECT_EQ((std::vector<std::string>{"docs", "docs\\sub"}), list.Folders());

    // UTF-8 names (lower-case marks) are taken as they are, on any code page; invalid UTF-8
    // is no name.
    list.Parse("d \xE6\x96\x87\xE6\xA1\xA3\r\nf \xE6\x96\x87\xE6\xA1\xA3\\\xE4\xB9\x97.txt\r\n"
               "f \xF0\x9F\x98\x80.txt\r\nf \xC3.txt\r\n");
    EXPECT_EQ((std::vector<std::string>{"\u6587\u6863\\\u4E57.txt", "\U0001F600.txt"}), list.Files());   // 文档\乗.txt
    EXPECT_EQ((std::vector<std::string>{"\u6587\u6863"}), list.Folders());

    // Names with the older marks are bytes of the machine's code page (936 here, where
    // 0x81 0x5C is one character); bytes that are no text there name nothing.
    if (::GetACP() != 936)
        return;
    list.Parse("D \xCE\xC4\xB5\xB5\r\nF \xCE\xC4\xB5\xB5\\\x81\x5C.txt\r\nF bad\x81.txt\r\n");
    EXPECT_EQ((std::vector<std::string>{"\u6587\u6863\\\u4E57.txt"}), list.Files());
    EXPECT_EQ((std::vector<std::string>{"\u6587\u6863"}), list.Folders());
}

// The copy learns the handles and the install directory from its command line, quoted,
// its spaces and every character kept.
TEST(UninstallCommand, HandoverArgumentsReadBack)
{
    const std::string directory = "C:\\Program Files\\Orvanta \u6587\u6863 \U0001F600 4.00";
    HANDLE original = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x1234));
    HANDLE result = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x5678));
    UninstallCommand command = UninstallCommand::Parse(
        UninstallCommand::HandoverArguments(original, result, directory, true).c_str());
    EXPECT_TRUE(command.IsCopy() && command.Silent());
    EXPECT_EQ(original, command.Original());
    EXPECT_EQ(result, command.Result());
    EXPECT_EQ(directory, command.InstallDirectory());
}

TEST(FolderPath, ComparesAsTheFileSystemDoes)
{
    struct Case {
        const char *path, *folder;
        bool inside, same;
    } cases[] = {
        {"c:\\A\\B\\c.exe", "C:\\a\\", true, false},
        {"C:\\ab", "C:\\a", false, false},
        {"C:\\A\\", "c:\\a", false, true},
        {"C:\\x\\..\\a\\b", "C:\\a", true, false},
        {"C:\\a\\b", "", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.inside, FolderPath::IsInside(c.path, c.folder)) << c.path << " in " << c.folder;
        EXPECT_EQ(c.same, FolderPath::IsSame(c.path, c.folder)) << c.path << " = " << c.folder;
    }
}

// The copy's folder is made by each run under its own unguessable name, never the one an
// earlier version used (OrvantaUninstall-<process id>), and never one somebody prepared;
// while held it cannot be moved aside for another to take its place.
TEST(WorkFolder, IsMadeFreshUnderANameNobodyCanGuess)
{
    testsupport::ScratchDir scratch;
    const std::string prepared = scratch.file("OrvantaUninstall-" + std::to_string(::GetCurrentProcessId()));
    fs::create_directories(prepared);
    std::ofstream(prepared + "\\comctl32.dll") << "planted";
    WorkFolder first, second;
    ASSERT_TRUE(first.Create(scratch.str(), false) && second.Create(scratch.str(), false));
    EXPECT_NE(first.Path(), second.Path());
    HeldFolder taken;
    EXPECT_EQ(HeldFolder::Exists, taken.Create(prepared, nullptr));
    EXPECT_EQ((std::vector<std::string>{"comctl32.dll"}), InstallReport::ListTree(prepared));
    for (const WorkFolder* folder : {&first, &second}) {
        EXPECT_EQ(scratch.str(), fs::path(folder->Path()).parent_path().string());
        EXPECT_TRUE(InstallReport::ListTree(folder->Path()).empty()) << folder->Path();
        EXPECT_FALSE(::MoveFileA(folder->Path().c_str(), (folder->Path() + "-moved").c_str()));
    }
}

// An administrator's folder lets the same user's processes without elevation (whose token
// holds Administrators for denial only) read and run its files but add, replace or delete
// none; the elevated process keeps full control.
TEST(AdminOnlySecurity, LetsProcessesWithoutElevationOnlyReadAndRun)
{
    AdminOnlySecurity security;
    ASSERT_TRUE(security.Attributes());
    HANDLE own = nullptr, restricted = nullptr, elevated = nullptr, limited = nullptr;
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof(administrators);
    ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_ALL_ACCESS, &own) &&
                ::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size));
    SID_AND_ATTRIBUTES denyOnly{administrators, 0};
    ASSERT_TRUE(::CreateRestrictedToken(own, 0, 1, &denyOnly, 0, nullptr, 0, nullptr, &restricted) &&
                ::DuplicateToken(own, SecurityImpersonation, &elevated) &&
                ::DuplicateToken(restricted, SecurityImpersonation, &limited));
    ScopedHandle holders[] = {ScopedHandle(own), ScopedHandle(restricted), ScopedHandle(elevated),
                              ScopedHandle(limited)};
    auto granted = [&](HANDLE token, DWORD access) {
        GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
        PRIVILEGE_SET privileges{};
        DWORD privilegesSize = sizeof(privileges), grantedAccess = 0;
        BOOL status = FALSE;
        return ::AccessCheck(security.Descriptor(), token, access, &mapping, &privileges, &privilegesSize,
                             &grantedAccess, &status) && status;
    };
    const struct {
        HANDLE token;
        DWORD access;
        bool granted;
    } rows[] = {
        {limited, FILE_GENERIC_READ | FILE_GENERIC_EXECUTE, true},
        {limited, FILE_ADD_FILE, false},
        {limited, FILE_WRITE_DATA, false},
        {limited, DELETE, false},
        {limited, FILE_DELETE_CHILD, false},
        {limited, WRITE_DAC, false},
        {elevated, FILE_ALL_ACCESS, true},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.granted, granted(row.token, row.access)) << std::hex << row.access;
}

// The original learns that the copy ended without sending its code, once the copy's write
// end has closed; a code sent arrives as it was sent.
TEST(ExitCodePipe, TellsACodeFromACopyThatDiedWithoutOne)
{
    for (bool sends : {true, false}) {
        ExitCodePipe pipe;
        ASSERT_TRUE(pipe.Open());
        HANDLE copy = nullptr;   // the copy's inherited write end
        ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), pipe.WriteEnd(), ::GetCurrentProcess(), &copy, 0, FALSE,
                                      DUPLICATE_SAME_ACCESS));
        if (sends)
            EXPECT_TRUE(ExitCodePipe::Send(copy, 7));
        else
            ::CloseHandle(copy);
        int code = -1;
        EXPECT_EQ(sends, pipe.Receive(code));
        EXPECT_EQ(sends ? 7 : -1, code);
    }
}

} // namespace
