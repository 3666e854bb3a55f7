#include "WizardFixture.h"

#include <shlobj.h>

#include <cstdio>
#include <fstream>

#include "app/SetupApp.h"
#include "engine/InstallEngine.h"
#include "framework/CWinApp.h"
#include "i18n/LanguageTable.h"
#include "remover/Remover.h"
#include "tools/SetupBuilder.h"

namespace {

std::string ShellFolder(int csidl)
{
    char path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathA(nullptr, csidl, nullptr, 0, path)))
        return std::string();
    return std::string(path) + "\\";
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

SetupApp* App()
{
    return static_cast<SetupApp*>(AfxGetApp());
}

} // namespace

void WizardFixture::SetUp()
{
    DeleteRecord();
    RemoveTree(WorkFolder() + "install");
}

void WizardFixture::TearDown()
{
    SetupApp* app = App();
    delete app->engine;
    app->engine = nullptr;
    LanguageTable::Release();
    RemoveTree(ProgramsFolder() + kGroup);
    ::DeleteFileA((DesktopFolder() + kInstallName + ".lnk").c_str());
    DeleteRecord();
    RemoveTree(WorkFolder() + "install");
}

std::string WizardFixture::LangIni() const
{
    return std::string("[lang]\r\ncount=2\r\ndefault=1\r\nlang1=Builtin\r\nlang2=English\r\n"
                       "[lang2]\r\nfont=0\r\n20001=Back2\r\n20002=Next2\r\n20004=Cancel2\r\n20008=Close2\r\n"
                       "[install]\r\ntitle=") + kTitle + "\r\ngroup=" + kGroup +
           "\r\nlinkfrom=Test Publisher\r\nlinkto=" + scratch.str() + "\r\ninstallpath=" + scratch.str() +
           "\\\r\ninstallname=" + kInstallName + "\r\nstates=Line one#Line two\r\n";
}

std::string WizardFixture::PackSetup(const std::string& lang, size_t bigFileBytes)
{
    std::string product = scratch.file("product");
    ::CreateDirectoryA(product.c_str(), nullptr);
    ::CreateDirectoryA((product + "\\docs").c_str(), nullptr);
    WriteFile(product + "\\readme.txt", "ten bytes!");
    WriteFile(product + "\\docs\\guide.txt", std::string(30, 'g'));
    if (bigFileBytes) {
        // Incompressible, so the worker has real chunks to write for a while.
        std::string big(bigFileBytes, '\0');
        uint32_t x = 12345;
        for (char& c : big) {
            x = x * 1103515245u + 12345u;
            c = static_cast<char>(x >> 24);
        }
        WriteFile(product + "\\big.bin", big);
    }
    SetupInputs inputs;
    inputs.stub = scratch.file("stub.bin");
    WriteFile(inputs.stub, "MZ test stub");
    inputs.product = product;
    if (!lang.empty()) {
        inputs.lang = scratch.file("lang.ini");
        WriteFile(inputs.lang, lang);
    }
    inputs.out = scratch.file("setup-test.exe");
    std::string error;
    EXPECT_TRUE(SetupBuilder::BuildSetup(inputs, error)) << error;
    return inputs.out;
}

InstallEngine* WizardFixture::MakeEngine(const std::string& lang, size_t bigFileBytes)
{
    std::string setup = PackSetup(lang, bigFileBytes);
    App()->engine = new InstallEngine(setup);
    return App()->engine;
}

std::string WizardFixture::WorkFolder()
{
    return LanguageTable::GetWorkFolder();
}

bool WizardFixture::Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WizardFixture::DeleteRecord()
{
    ::RegDeleteKeyA(HKEY_CURRENT_USER, InstallEngine::RecordKey);
}

bool WizardFixture::RecordExists()
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, InstallEngine::RecordKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

void WizardFixture::WriteRecord(const std::vector<std::pair<std::string, std::string>>& values)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CURRENT_USER, InstallEngine::RecordKey, 0, nullptr, 0,
                                               KEY_ALL_ACCESS, nullptr, &key, nullptr));
    for (const auto& value : values)
        ::RegSetValueExA(key, value.first.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.second.c_str()),
                         static_cast<DWORD>(value.second.size() + 1));
    ::RegCloseKey(key);
}

std::string WizardFixture::RecordValue(const std::string& name)
{
    return Remover::GetRecordValue(name);
}

void WizardFixture::RemoveTree(const std::string& path)
{
    if (Exists(path))
        Remover::RemoveTree(path);
}

std::string WizardFixture::ProgramsFolder()
{
    return ShellFolder(CSIDL_COMMON_PROGRAMS);
}

std::string WizardFixture::DesktopFolder()
{
    return ShellFolder(CSIDL_DESKTOP);
}
