#include "WizardFixture.h"

#include <commctrl.h>
#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "app/SetupApp.h"
#include "container/TestFiles.h"
#include "framework/RegKey.h"
#include "framework/ScopedHandle.h"
#include "framework/SpecialFolder.h"
#include "framework/WideText.h"
#include "i18n/LanguageTable.h"
#include "remover/InstallRecordKey.h"
#include "remover/Remover.h"
#include "resources/resource.h"
#include "tools/PeImage.h"
#include "tools/SetupBuilder.h"

// The wizard reaches the engine through the application object; tests set its engine and
// never run InitInstance.
SetupApp testApplication;

BEGIN_MESSAGE_MAP(TestFrame, WizardFrame)
    ON_MESSAGE(TestFrame::kCallMessage, &TestFrame::OnCall)
END_MESSAGE_MAP()

namespace {

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

} // namespace

void WizardFixture::SetUp()
{
    RegKey::DeleteKey(HKEY_CURRENT_USER, InstallRecordKey::Path);
    Remover::RemoveTree(LanguageTable::GetWorkFolder() + "install");
    LanguageTable::Release();
    LanguageTable::Instance()->SetFile(scratch.file("absent.ini"));
    LanguageTable::Instance()->SetCurrentLanguage(1);
}

void WizardFixture::TearDown()
{
    delete testApplication.engine;
    testApplication.engine = nullptr;
    LanguageTable::Release();
    // The group lies directly in the Programs folder, where the remover never takes a whole tree.
    std::error_code error;
    std::filesystem::remove_all(ProgramsFolder() + kGroup, error);
    ::DeleteFileA((SpecialFolder::PathWithBackslash(CSIDL_DESKTOP) + kInstallName + ".lnk").c_str());
    RegKey::DeleteKey(HKEY_CURRENT_USER, InstallRecordKey::Path);
    Remover::RemoveTree(LanguageTable::GetWorkFolder() + "install");
}

std::string WizardFixture::LangIni() const
{
    std::string ini = std::string("[lang]\r\ncount=2\r\ndefault=1\r\nlang1=Builtin\r\nlang2=English\r\n") +
                      "[install]\r\ntitle=" + kTitle + "\r\ngroup=" + kGroup + "\r\nlinkto=" + scratch.file("run.bat") +
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

std::string WizardFixture::Utf16File(const std::string& utf8)
{
    std::wstring wide = WideText::FromUtf8(utf8);
    std::string bytes = "\xFF\xFE";
    for (wchar_t unit : wide)
        bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    return bytes;
}

InstallEngine* WizardFixture::MakeEngine(const std::string& lang, bool failing)
{
    std::string product = scratch.file("product");
    ::CreateDirectoryA(product.c_str(), nullptr);
    ::CreateDirectoryA((product + "\\docs").c_str(), nullptr);
    WriteFile(product + "\\readme.txt", "ten bytes!");
    WriteFile(product + "\\docs\\guide.txt", std::string(30, 'g'));
    // A product file in the place of the install log, which the engine never writes over:
    // the run fails after it has created the directory.
    if (failing)
        WriteFile(product + "\\Uninstall.log", "not the log");
    // The product's own uninstaller, so the packer adds none; empty, so the bytes are the two files'.
    WriteFile(product + "\\Uninstall.exe", "");
    SetupInputs inputs{scratch.file("stub"), product, scratch.file("lang.ini"), "", scratch.file("setup.exe")};
    testfiles::Write(inputs.stub, testfiles::MarkedPe(PeImage::SetupMarker));
    WriteFile(inputs.lang, lang);
    std::string error;
    EXPECT_TRUE(SetupBuilder::BuildSetup(inputs, error));
    LanguageTable::Release();
    testApplication.engine = new InstallEngine(inputs.out);
    return testApplication.engine;
}

std::string WizardFixture::ProgramsFolder()
{
    return SpecialFolder::PathWithBackslash(CSIDL_COMMON_PROGRAMS);
}

bool WizardFixture::Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WizardFixture::RecordExists()
{
    return RegKey().Open(HKEY_CURRENT_USER, InstallRecordKey::Path);
}

INT_PTR WizardFixture::RunFrame(const std::function<void()>& script)
{
    frame = std::make_unique<TestFrame>();
    ended = false;
    AfxGetApp()->m_pMainWnd = frame.get();
    std::thread helper([&] {
        WaitFor([&] { return frame->m_hWnd && ::IsWindowVisible(frame->m_hWnd); });
        Sync();
        script();
        if (!ended)
            OnUiThread([&] { frame->EndDialog(IDABORT); });
    });
    INT_PTR result = frame->DoModal();
    ended = true;
    helper.join();
    AfxGetApp()->m_pMainWnd = nullptr;
    return result;
}

std::string WizardFixture::TextOf(HWND window)
{
    return CWnd::TextOf(window);
}

int WizardFixture::VisiblePage() const
{
    int found = -1;
    for (int i = 0; i < WizardFrame::PageCount; ++i)
        if (::IsWindowVisible(Page(i)))
            found = found == -1 ? i : -2;
    return found;
}

void WizardFixture::ExpectEndPage(int page)
{
    EXPECT_TRUE(Sync());   // the page shows before its handler has set the buttons
    EXPECT_EQ(page, VisiblePage());
    EXPECT_FALSE(Visible(IDC_BACK) || Visible(IDC_NEXT));
    EXPECT_EQ(Builtin(20008), Text(IDC_CANCEL_BUTTON));
    Click(IDC_BACK);
    ASSERT_EQ(page, VisiblePage()) << "a hidden Back does nothing";
}

bool WizardFixture::Sync()
{
    if (ended || !frame->m_hWnd)
        return false;
    ScopedHandle done(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    const std::function<void()> mark = [&] { ::SetEvent(done.get()); };
    // A click that ended the frame leaves this message unhandled (its window is gone once
    // `ended` is set): stop when the run ends, not at the timeout.
    auto handled = [&] { return ::WaitForSingleObject(done.get(), 10) == WAIT_OBJECT_0 || ended; };
    bool ok = ::PostMessageA(Window(), TestFrame::kCallMessage, 0, reinterpret_cast<LPARAM>(&mark)) &&
              WaitFor(handled) && !ended;
    // Paints wait until the queue is empty; what a page does in its paint (the licence box
    // is cleared there) must have happened before the script looks or clicks again.
    if (ok)
        ::RedrawWindow(Window(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return ok;
}

void WizardFixture::ClickListItem(HWND list, int index)
{
    RECT item{};
    ::SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    ::PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    Post(list, WM_LBUTTONUP, 0, at);
}

// On the window's own thread, so the paint has happened when this returns.
void WizardFixture::Repaint(HWND window)
{
    OnUiThread([window] {
        ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    });
    Sync();
}

void WizardFixture::GoTo(int page)
{
    for (int before = -1; VisiblePage() < page && VisiblePage() != before;) {
        before = VisiblePage();
        if (before == WizardFrame::LicenceIndex && !Enabled(IDC_NEXT))
            Click(IDC_LICENCE_ACCEPT, WizardFrame::LicenceIndex);
        Click(IDC_NEXT);
    }
}

HWND WizardFixture::WaitForBox(DWORD timeoutMs) const
{
    HWND box = nullptr;
    auto shown = [&] {
        while ((box = ::FindWindowExA(nullptr, box, "#32770", nullptr)))
            if (::GetWindow(box, GW_OWNER) == Window() && ::IsWindowVisible(box))
                return true;
        return false;
    };
    return WaitFor(shown, timeoutMs) ? box : nullptr;
}

bool WizardFixture::Answer(HWND box, int id)
{
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(::GetDlgItem(box, id)));
    bool gone = WaitFor([box] { return !::IsWindow(box); }, 5000);
    Sync();
    return gone;
}

std::string WizardFixture::BarState(HWND bar)
{
    PBRANGE range{};
    ::SendMessageA(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    return std::to_string(range.iLow) + ".." + std::to_string(range.iHigh) + " at " +
           std::to_string(::SendMessageA(bar, PBM_GETPOS, 0, 0));
}

bool WizardFixture::WaitFor(const std::function<bool()>& condition, DWORD timeoutMs)
{
    for (DWORD start = ::GetTickCount(); !condition(); ::Sleep(10))
        if (::GetTickCount() - start > timeoutMs)
            return false;
    return true;
}
