#include "WizardFixture.h"

#include <shlobj.h>

#include <fstream>

#include "app/SetupApp.h"
#include "framework/RegKey.h"
#include "framework/SpecialFolder.h"
#include "framework/WideText.h"
#include "i18n/LanguageTable.h"
#include "remover/InstallRecordKey.h"
#include "remover/Remover.h"
#include "resources/resource.h"
#include "tools/SetupBuilder.h"

// The test program's application object, as setup.exe has one: the wizard reaches the
// engine through it. Tests set its engine and never run InitInstance.
SetupApp testApplication;

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
    ::DeleteFileA((SpecialFolder::PathWithBackslash(CSIDL_DESKTOP) + kInstallName + ".lnk").c_str());
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

InstallEngine* WizardFixture::MakeEngine(const std::string& lang)
{
    std::string product = scratch.file("product");
    ::CreateDirectoryA(product.c_str(), nullptr);
    ::CreateDirectoryA((product + "\\docs").c_str(), nullptr);
    WriteFile(product + "\\readme.txt", "ten bytes!");
    WriteFile(product + "\\docs\\guide.txt", std::string(30, 'g'));
    // An uninstaller of the product's own, so the packer adds none; empty, so the byte
    // counts stay those of the two files.
    WriteFile(product + "\\Uninstall.exe", "");
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
    std::string text;
    EXPECT_TRUE(WideText::AnsiFromUtf8(utf8, 936, text));
    return text;
}

std::string WizardFixture::ProgramsFolder()
{
    return SpecialFolder::PathWithBackslash(CSIDL_COMMON_PROGRAMS);
}

bool WizardFixture::RecordExists()
{
    return RegKey().Open(HKEY_CURRENT_USER, InstallRecordKey::Path);
}

void WizardFixture::ExpectEndPage(FrameDriver& d, int page)
{
    // The page shows before the handler that shows it has set the buttons.
    EXPECT_TRUE(d.Sync());
    EXPECT_EQ(page, d.VisiblePage());
    EXPECT_FALSE(d.Visible(IDC_BACK));
    EXPECT_FALSE(d.Visible(IDC_NEXT));
    EXPECT_EQ(Builtin(20008), d.Text(IDC_CANCEL_BUTTON));
}
