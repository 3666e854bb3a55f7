// The publisher hyperlink of a running frame: its colours as the mouse comes and goes, and
// what a click starts. Its target comes from lang.ini, which any process of the user may
// have written, so a click opens web addresses and the installed product's files only.
#include <fstream>

#include "WizardFixture.h"
#include "framework/RegKey.h"
#include "framework/ScopedHandle.h"
#include "resources/resource.h"

namespace {

using LinkTest = WizardFixture;

TEST_F(LinkTest, HoverLeaveAndWhatAClickStarts)
{
    // Every process this one starts joins the job, which counts it even once it has ended.
    ScopedHandle job(::CreateJobObjectA(nullptr, nullptr));
    ASSERT_TRUE(::AssignProcessToJobObject(job.get(), ::GetCurrentProcess()));
    auto counts = [&] {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION counted{};
        ::QueryInformationJobObject(job.get(), JobObjectBasicAccountingInformation, &counted, sizeof(counted), nullptr);
        return counted;
    };
    char system[MAX_PATH] = {};
    ::GetSystemDirectoryA(system, MAX_PATH);
    const std::string program = std::string(system) + "\\hostname.exe", product = InstallDir() + "\\terminal.exe";
    ASSERT_TRUE(::CreateDirectoryA(InstallDir().c_str(), nullptr));
    ASSERT_TRUE(::CopyFileA(program.c_str(), product.c_str(), TRUE));
    std::ofstream(scratch.file("run.bat")) << "@exit\r\n";
    // The prefix's web browser is a program that ends at once while the test runs.
    RegKey https;
    std::string browser;
    ASSERT_TRUE(https.Open(HKEY_CLASSES_ROOT, "https\\shell\\open\\command", KEY_READ | KEY_WRITE) &&
                https.QueryString("", browser) && https.SetString("", "\"" + program + "\" \"%1\""));
    InstallEngine* engine = MakeEngine(LangIni());
    ::SetCursorPos(1000, 740);
    RunFrame([&] {
        CStaticLink& link = frame->PublisherLink();
        HWND control = Item(IDC_PUBLISHER_LINK);
        EXPECT_EQ(CStaticLink::kUnvisitedColour, link.GetTextColour());

        RECT rect;
        ::GetWindowRect(control, &rect);
        POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        ::SetCursorPos(centre.x, centre.y);
        EXPECT_EQ(HTCLIENT, ::SendMessageA(control, WM_NCHITTEST, 0, MAKELPARAM(centre.x, centre.y)));
        EXPECT_EQ(CStaticLink::kHoverColour, link.GetTextColour());

        // The first row is lang.ini's own target (run.bat); an empty target is the control's
        // text. lang.ini proposes the install directory too: the system folder is none (an
        // empty one is the test's).
        const struct {
            std::string target;
            bool starts;
            std::string installDir;
        } rows[] = {
            {link.GetTarget(), false, {}},
            {"cmd.exe", false, {}},
            {"file:///" + std::string(system) + "/cmd.exe", false, {}},
            {"\\\\?\\" + program, false, {}},
            {InstallDir() + "\\..\\run.bat", false, {}},
            {program, false, system},
            {"https://example.invalid/\" --new-window", false, {}},
            {"HTTPS://example.invalid/orvanta", true, {}},
            {"", true, {}},
        };
        ::SetWindowTextA(control, product.c_str());
        for (const auto& row : rows) {
            SCOPED_TRACE(row.target);
            OnUiThread([&] { engine->SetInstallDirectory(row.installDir.empty() ? InstallDir() : row.installDir); });
            link.SetTarget(row.target);
            const auto before = counts();
            const COLORREF colour = link.GetTextColour();
            Post(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
            EXPECT_EQ(row.starts, counts().TotalProcesses > before.TotalProcesses);
            EXPECT_EQ(row.starts ? CStaticLink::kVisitedColour : colour, link.GetTextColour());
            // What a started program starts for itself (its console) counts for no later row.
            EXPECT_TRUE(WaitFor([&] { return counts().ActiveProcesses <= before.ActiveProcesses; }));
        }
        // Under Wine a late motion event of the programs' start may put the pointer back
        // over the link, so the move away is repeated until the link has seen it.
        EXPECT_TRUE(WaitFor([&] { return ::SetCursorPos(1000, 740) && !link.IsHovering(); }, 2000));
        Sync();
        EXPECT_EQ(CStaticLink::kUnvisitedColour, link.GetTextColour()) << "visited is not remembered";
    });
    https.SetString("", browser);
}

} // namespace
