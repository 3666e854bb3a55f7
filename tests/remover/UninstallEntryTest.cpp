#include "remover/UninstallEntry.h"

#include <gtest/gtest.h>

#include <vector>

#include "framework/RegKey.h"
#include "framework/RegKeySnapshot.h"

namespace {

const char kScratchKey[] = "Software\\OrvantaTest\\Snapshot";

struct RawValue {
    DWORD type = 0;
    std::vector<BYTE> data;
    bool operator==(const RawValue& other) const { return type == other.type && data == other.data; }
};

bool ReadRaw(HKEY root, const char* path, REGSAM view, const wchar_t* name, RawValue& value)
{
    HKEY key = nullptr;
    std::wstring widePath(path, path + strlen(path));
    if (::RegOpenKeyExW(root, widePath.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return false;
    DWORD bytes = 0;
    bool ok = ::RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &bytes) == ERROR_SUCCESS;
    value.data.resize(bytes);
    ok = ok && ::RegQueryValueExW(key, name, nullptr, &value.type, value.data.data(), &bytes) == ERROR_SUCCESS;
    ::RegCloseKey(key);
    return ok;
}

bool KeyExists(HKEY root, const char* path, REGSAM view)
{
    RegKey key;
    return key.Open(root, path, KEY_READ | view);
}

void DeleteEntries()
{
    std::wstring path = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvanta";
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), UninstallEntry::MachineView, 0);
    ::RegDeleteKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, 0);
}

class UninstallEntryTest : public ::testing::Test {
protected:
    void SetUp() override { DeleteEntries(); }
    void TearDown() override
    {
        DeleteEntries();
        ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\OrvantaTest\\Snapshot");
        ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\OrvantaTest");
    }

    UninstallEntry::Values Sample(const std::string& directory)
    {
        UninstallEntry::Values values;
        values.title = "Orvanta 4.00 \xEC\x84\xA4\xEC\xB9\x98";   // with Korean: the entry is UTF-16
        values.publisher = "Brenholt";
        values.address = "http://www.example.com/";
        values.version = "4.00";
        values.directory = directory;
        values.payloadBytes = 5 * 1024 + 1;
        values.date = "20261207";
        return values;
    }
};

TEST_F(UninstallEntryTest, WritesWhatTheListOfProgramsShows)
{
    ASSERT_EQ(HKEY_LOCAL_MACHINE, UninstallEntry::Write(Sample("C:\\Program Files\\Orvanta Test")))
        << "the test runs with administrator rights (Wine): the machine's entry";
    RegKey key;
    ASSERT_TRUE(key.Open(HKEY_LOCAL_MACHINE, UninstallEntry::Path, KEY_READ | UninstallEntry::MachineView));
    const std::pair<const char*, const char*> strings[] = {
        {"DisplayName", "Orvanta 4.00 \xEC\x84\xA4\xEC\xB9\x98"},
        {"Publisher", "Brenholt"},
        {"URLInfoAbout", "http://www.example.com/"},
        {"DisplayVersion", "4.00"},
        {"InstallLocation", "C:\\Program Files\\Orvanta Test"},
        {"DisplayIcon", "C:\\Program Files\\Orvanta Test\\terminal.ico"},
        {"UninstallString", "\"C:\\Program Files\\Orvanta Test\\Uninstall.exe\""},
        {"QuietUninstallString", "\"C:\\Program Files\\Orvanta Test\\Uninstall.exe\" /S"},
        {"InstallDate", "20261207"},
    };
    for (const auto& [name, expected] : strings) {
        std::string value;
        EXPECT_TRUE(key.QueryString(name, value)) << name;
        EXPECT_EQ(expected, value) << name;
    }
    for (const auto& [name, expected] : {std::pair<const wchar_t*, DWORD>{L"EstimatedSize", 6},
                                         {L"NoModify", 1}, {L"NoRepair", 1}}) {
        RawValue raw;
        ASSERT_TRUE(ReadRaw(HKEY_LOCAL_MACHINE, UninstallEntry::Path, UninstallEntry::MachineView, name, raw));
        EXPECT_EQ(DWORD(REG_DWORD), raw.type);
        ASSERT_EQ(4u, raw.data.size());
        EXPECT_EQ(expected, *reinterpret_cast<const DWORD*>(raw.data.data()));
    }
}

TEST_F(UninstallEntryTest, AVersionlessProductLeavesNoEarlierVersionBehind)
{
    ASSERT_TRUE(UninstallEntry::Write(Sample("C:\\Orvanta")));
    UninstallEntry::Values values = Sample("C:\\Orvanta");
    values.version.clear();
    ASSERT_TRUE(UninstallEntry::Write(values));
    RegKey key;
    ASSERT_TRUE(key.Open(HKEY_LOCAL_MACHINE, UninstallEntry::Path, KEY_READ | UninstallEntry::MachineView));
    std::string version;
    EXPECT_FALSE(key.QueryString("DisplayVersion", version));
}

TEST_F(UninstallEntryTest, RemovesOnlyTheEntryOfItsOwnFolder)
{
    ASSERT_TRUE(UninstallEntry::Write(Sample("C:\\Program Files\\Orvanta Test")));
    EXPECT_TRUE(UninstallEntry::RemoveFor("C:\\Program Files\\Other")) << "no entry of that folder";
    EXPECT_TRUE(UninstallEntry::RemoveFor("C:\\Program Files\\Orvanta"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, UninstallEntry::Path, UninstallEntry::MachineView))
        << "another installation's entry stays";
    EXPECT_TRUE(UninstallEntry::RemoveFor("c:\\program files\\ORVANTA TEST\\"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallEntry::Path, UninstallEntry::MachineView));
    EXPECT_TRUE(UninstallEntry::RemoveFor("C:\\Program Files\\Orvanta Test")) << "nothing left is success";
}

TEST_F(UninstallEntryTest, TheUsersEntryCountsToo)
{
    RegKey key;
    ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, UninstallEntry::Path));
    ASSERT_TRUE(key.SetString("InstallLocation", "D:\\\xEC\x84\xA4\xEC\xB9\x98"));
    key.Close();
    EXPECT_TRUE(UninstallEntry::RemoveFor("D:\\\xEC\x84\xA4\xEC\xB9\x98"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, UninstallEntry::Path, 0));
}

TEST_F(UninstallEntryTest, SnapshotPutsBackEveryValueAndRemovesWhatARunAdded)
{
    RegKey key;
    ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, kScratchKey));
    ASSERT_TRUE(key.SetString("Kept", "earlier \xE5\xAE\x89\xE8\xA3\x85"));
    ASSERT_TRUE(key.SetNumber("Number", 7));
    const BYTE binary[] = {0, 1, 2, 0xFF};
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExW(key.get(), L"Binary", 0, REG_BINARY, binary, sizeof(binary)));
    key.Close();
    RawValue keptBefore, binaryBefore;
    ASSERT_TRUE(ReadRaw(HKEY_CURRENT_USER, kScratchKey, 0, L"Kept", keptBefore));
    ASSERT_TRUE(ReadRaw(HKEY_CURRENT_USER, kScratchKey, 0, L"Binary", binaryBefore));

    RegKeySnapshot snapshot;
    ASSERT_TRUE(snapshot.Take(HKEY_CURRENT_USER, kScratchKey, 0));
    EXPECT_TRUE(snapshot.Existed());
    ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, kScratchKey, KEY_ALL_ACCESS));
    ASSERT_TRUE(key.SetString("Kept", "the run's"));
    ASSERT_TRUE(key.SetString("Added", "by the run"));
    ASSERT_TRUE(key.DeleteValue("Number"));
    key.Close();

    ASSERT_TRUE(snapshot.Restore());
    RawValue kept, bin, number, added;
    ASSERT_TRUE(ReadRaw(HKEY_CURRENT_USER, kScratchKey, 0, L"Kept", kept));
    EXPECT_TRUE(kept == keptBefore);
    ASSERT_TRUE(ReadRaw(HKEY_CURRENT_USER, kScratchKey, 0, L"Binary", bin));
    EXPECT_TRUE(bin == binaryBefore);
    EXPECT_TRUE(ReadRaw(HKEY_CURRENT_USER, kScratchKey, 0, L"Number", number));
    EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, kScratchKey, 0, L"Added", added));
}

} // namespace
