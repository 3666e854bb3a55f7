#include "WizardFixture.h"

#include <fstream>

#include "app/SetupApp.h"
#include "i18n/LanguageTable.h"
#include "resources/resource.h"
#include "tools/SetupBuilder.h"

// The test program's application object, as setup.exe has one: the wizard reaches the
// engine through it. Tests set its engine and never run InitInstance.
SetupApp testApplication;

std::string WizardFixture::ShellFolder(int csidl)
{
    char path[MAX_PATH] = {};
    ::SHGetFolderPathA(nullptr, csidl, nullptr, 0, path);
    return std::string(path) + "\\";
}

namespace {

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

void CleanProfile()
{
    RegKey::DeleteKey(HKEY_CURRENT_USER, InstallRecordKey::Path);
    Remover::RemoveTree(LanguageTable::GetWorkFolder() + "install");
}

} // namespace

void WizardFixture::SetUp()
{
    CleanProfile();
    LanguageTable::Release();
    LanguageTable::Instance()->SetFile(scratch.file("absent.ini"));
    LanguageTable::Instance()->SetCurrentLanguage(1);
}

void WizardFixture::TearDown()
{
    delete testApplication.engine;
    testApplication.engine = nullptr;
    LanguageTable::Release();
    Remover::RemoveTree(ProgramsFolder() + kGroup);
    ::DeleteFileA((ShellFolder(CSIDL_DESKTOP) + kInstallName + ".lnk").c_str());
    CleanProfile();
}

std::string WizardFixture::LangIni() const
{
    std::string ini = std::string("[lang]\r\ncount=2\r\ndefault=1\r\nlang1=Builtin\r\nlang2=English\r\n[install]\r\ntitle=") +
                      kTitle + "\r\ngroup=" + kGroup + "\r\nlinkfrom=Test Publisher\r\nlinkto=" + scratch.str() +
                      "\r\ninstallpath=" + scratch.str() + "\\\r\ninstallname=" + kInstallName +
                      "\r\nstates=Line one#Line two\r\n[lang2]\r\nfont=1\r\n";
    for (int id : TextId::All)
        ini += std::to_string(id) + "=E" + std::to_string(id) + "\r\n";
    return ini;
}

void WizardFixture::UseLangIni(const std::string& bytes)
{
    WriteFile(scratch.file("lang.ini"), bytes);
    LanguageTable::Instance()->SetFile(scratch.file("lang.ini"));
}

InstallEngine* WizardFixture::MakeEngine(const std::string& lang, size_t bigFileBytes)
{
    std::string product = scratch.file("product");
    ::CreateDirectoryA(product.c_str(), nullptr);
    ::CreateDirectoryA((product + "\\docs").c_str(), nullptr);
    WriteFile(product + "\\readme.txt", "ten bytes!");
    WriteFile(product + "\\docs\\guide.txt", std::string(30, 'g'));
    // An uninstaller of the product's own, so the packer adds none; empty, so the byte
    // counts stay those of the two files.
    WriteFile(product + "\\Uninstall.exe", "");
    if (bigFileBytes) {
        // Incompressible, so the worker has real chunks to write for a while.
        std::string big(bigFileBytes, '\0');
        uint32_t x = 12345;
        for (char& c : big)
            c = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
        WriteFile(product + "\\big.bin", big);
    }
    SetupInputs inputs{scratch.file("stub.bin"), product, scratch.file("lang.ini"), "", scratch.file("setup-test.exe")};
    WriteFile(inputs.stub, "MZ test stub");
    WriteFile(inputs.lang, lang);
    std::string error;
    EXPECT_TRUE(SetupBuilder::BuildSetup(inputs, error)) << error;
    LanguageTable::Release();
    testApplication.engine = new InstallEngine(inputs.out);
    return testApplication.engine;
}

std::string WizardFixture::Gbk(const std::string& utf8)
{
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0],
                                      static_cast<int>(wide.size())));
    std::string out(wide.size() * 2, '\0');
    out.resize(::WideCharToMultiByte(936, 0, wide.data(), static_cast<int>(wide.size()), &out[0],
                                     static_cast<int>(out.size()), nullptr, nullptr));
    return out;
}

void WizardFixture::ExpectCancelPage(FrameDriver& d)
{
    // The page shows before the handler that shows it has set the buttons.
    d.Sync();
    EXPECT_EQ(WizardFrame::CancelIndex, d.VisiblePage());
    EXPECT_FALSE(d.Visible(IDC_BACK));
    EXPECT_FALSE(d.Visible(IDC_NEXT));
    EXPECT_EQ(Builtin(20008), d.Text(IDC_CANCEL_BUTTON));
}

void WizardFixture::WriteRecord(const std::vector<std::pair<std::string, std::string>>& values)
{
    RegKey key;
    ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, InstallRecordKey::Path));
    for (const auto& value : values)
        key.SetString(value.first.c_str(), value.second);
}

