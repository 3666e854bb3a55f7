// The remover: RemoveTree on over-long paths, links and the paths it must refuse before it
// enumerates anything; an exit while its worker runs past the bound.
#include <shlobj.h>

#include <iterator>

#include "engine/ProfileTest.h"
#include "framework/FileApi.h"
#include "framework/RegKey.h"
#include "framework/SpecialFolder.h"
#include "framework/WideText.h"
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

// The limit counts characters as the system does, not the bytes of their UTF-8 form: a
// folder of 80 Chinese characters (240 bytes) with a file in it lies well within it.
TEST_F(RemoverTest, CountsThePathLimitInCharacters)
{
    std::string name;
    for (int i = 0; i < 80; ++i)
        name += "\u6587";
    const std::string root = scratch.file("tree"), file = root + "\\" + name + "\\x.txt";
    ASSERT_GT(file.size(), size_t(MAX_PATH - 1));
    ASSERT_LT(WideText::FromUtf8(file).size(), size_t(MAX_PATH - 1));
    ASSERT_TRUE(FileApi::MakeFolder(root) && FileApi::MakeFolder(root + "\\" + name));
    ::CloseHandle(FileApi::Open(file, GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL));
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, FileApi::Attributes(file));
    EXPECT_TRUE(Remover::RemoveTree(root));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, FileApi::Attributes(root));
}

// A record value holds at most 79 characters, counted as UTF-16 units: 79 Chinese
// characters (237 bytes in UTF-8) are a value, 80 are none, and so are 40 characters
// outside the Basic Multilingual Plane (80 units).
TEST_F(RemoverTest, RecordValuesAreLimitedInCharacters)
{
    auto repeat = [](const std::string& text, int times) {
        std::string out;
        for (int i = 0; i < times; ++i)
            out += text;
        return out;
    };
    const std::pair<std::string, bool> rows[] = {
        {repeat("\u6587", 79), true}, {repeat("\u6587", 80), false}, {repeat("\U0001F600", 39) + "a", true},
        {repeat("\U0001F600", 40), false}};
    RegKey key;
    ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, InstallRecordKey::Path, REG_OPTION_VOLATILE));
    for (const auto& [value, kept] : rows) {
        ASSERT_TRUE(key.SetString(InstallRecordKey::SetupName, value));
        EXPECT_EQ(kept ? value : std::string(), Remover::GetRecordValue(InstallRecordKey::SetupName)) << value.size();
    }
    key.Close();
    RegKey::DeleteKey(HKEY_CURRENT_USER, InstallRecordKey::Path);
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

// Each path goes to RemoveTree only once the pure guard said no, so a broken guard fails
// the test instead of wiping the prefix's folders. Another user's profile (one only found
// in the profiles folder, one only registered, elsewhere), a vendor's folder in Program
// Files and another product's group each hold a file whose bytes must survive; the last
// two, like the product's own folders there, are refused only as whole trees.
TEST_F(RemoverTest, RefusesRootsDevicePathsAndWellKnownFoldersAndTouchesNothing)
{
    enum Kind { Refused, WholeTree, Allowed };
    const std::string windows = SpecialFolder::Path(CSIDL_WINDOWS), profile = SpecialFolder::Path(CSIDL_PROFILE);
    const std::string users = profile.substr(0, profile.rfind('\\')), other = users + "\\orvanta-other";
    const std::string registered = "C:\\orvanta-profiles\\other", inside = other + "\\AppData\\Local\\Programs\\X";
    const std::string vendor = SpecialFolder::Path(CSIDL_PROGRAM_FILES) + "\\Orvanta Vendor";
    const std::string foreign = SpecialFolder::Path(CSIDL_COMMON_PROGRAMS) + "\\Orvanta Foreign Group";
    const std::wstring entry = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\S-1-5-21-0-0-0-1999";
    auto share = [](const std::string& host, const std::string& path) {
        return "\\\\" + host + "\\" + path.substr(0, 1) + "$" + path.substr(2);
    };
    char netbios[MAX_COMPUTERNAME_LENGTH + 1] = "", dns[256] = "";
    DWORD size = sizeof netbios, dnsSize = sizeof dns;
    ASSERT_TRUE(::GetComputerNameExA(ComputerNameNetBIOS, netbios, &size));
    ASSERT_TRUE(::GetComputerNameExA(ComputerNameDnsFullyQualified, dns, &dnsSize));
    const std::vector<std::string> planted = {other, registered, vendor, foreign};
    auto clean = [&] {
        std::error_code error;
        for (const std::string& folder : planted)
            std::filesystem::remove_all(folder, error);
        std::filesystem::remove("C:\\orvanta-profiles", error);
        ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, entry.c_str());
    };
    clean();
    const wchar_t image[] = L"%SystemDrive%\\orvanta-profiles\\other";
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, entry.c_str(), L"ProfileImagePath", REG_EXPAND_SZ,
                                               image, sizeof image));
    for (size_t i = 0; i < planted.size(); ++i)
        ASSERT_TRUE(std::filesystem::create_directories(planted[i] + "\\sub") && Save(planted[i] + "\\keep.bin", Bytes(64, unsigned(i))));

    std::vector<std::pair<std::string, Kind>> rows = {
        {"", Refused}, {"relative\\dir", Refused}, {"C:dir", Refused}, {"\\dir", Refused}, {"C:\\", Refused},
        {"C:\\x\\..", Refused}, {"\\\\server\\share\\", Refused}, {"\\\\?\\C:\\somewhere\\x", Refused},
        {windows, Refused}, {profile + "\\\\", Refused}, {users, Refused}, {windows + "::$INDEX_ALLOCATION", Refused},
        {windows + "\\system32\\orvanta-none\\x", Refused}, {profile + "\\Downloads", Refused},
        {other, Refused}, {registered, Refused}, {"C:\\orvanta-profiles", Refused},
        {share("localhost", windows), Refused}, {share("127.0.0.1", windows + "\\orvanta-none"), Refused}, {share("0x7f.1", profile), Refused},
        {"\\\\localhost\\C$", Refused}, {"\\\\localhost\\admin$\\orvanta-none", Refused},
        {share(netbios, users), Refused}, {share(dns, other), Refused}, {share("0--1.ipv6-literal.net", other), Refused},
        {share("[::1]", inside), Refused},
        {vendor, WholeTree}, {foreign, WholeTree}, {share("localhost", vendor), WholeTree},
        {SpecialFolder::Path(CSIDL_PROGRAM_FILES) + "\\Orvanta 4.00", WholeTree}, {Group(), WholeTree},
        {inside, Allowed}, {share("localhost", inside), Allowed}, {vendor + "\\Product", Allowed},
        {scratch.file("sub"), Allowed}, {windows + "\\..\\Orvanta", Allowed}};
    for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_PROGRAM_FILES, CSIDL_COMMON_PROGRAMS,
                      CSIDL_APPDATA, CSIDL_TEMPLATES})
        rows.push_back({SpecialFolder::Path(csidl), Refused});
    for (auto row : std::vector<std::pair<std::string, Kind>>(rows))
        rows.push_back({::CharUpperA(&row.first[0]), row.second});
    auto count = [](const std::string& path) {
        std::error_code error;
        return std::distance(std::filesystem::directory_iterator(path, error), {});
    };
    for (const auto& [path, kind] : rows) {
        SCOPED_TRACE('"' + path + '"');
        EXPECT_EQ(kind == Refused, RemovalGuard::Refuses(path));
        bool refused = RemovalGuard::RefusesTree(path);
        EXPECT_EQ(kind != Allowed, refused);
        if (!refused)
            continue;
        auto before = count(path);
        EXPECT_FALSE(Remover::RemoveTree(path));
        EXPECT_EQ(before, count(path));
    }
    for (size_t i = 0; i < planted.size(); ++i)
        EXPECT_EQ(Bytes(64, unsigned(i)), Load(planted[i] + "\\keep.bin")) << planted[i];
    clean();
    // A drive substituted for the Windows folder leads into it as well.
    ASSERT_TRUE(::DefineDosDeviceA(0, "Q:", windows.c_str()));
    EXPECT_TRUE(RemovalGuard::Refuses("Q:\\orvanta-none\\x"));
    ::DefineDosDeviceA(DDD_REMOVE_DEFINITION, "Q:", nullptr);
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
