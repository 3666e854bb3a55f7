// The publisher hyperlink of a running frame: colours, fonts and cursor as the mouse
// comes and goes, opens that work and fail, the window-text fallback, the background.
#include <set>

#include "WizardFixture.h"

#include <tlhelp32.h>

#include "framework/CClientDC.h"
#include "framework/ScopedHandle.h"
#include "resources/resource.h"

namespace {

using LinkTest = WizardFixture;

// This test program, the processes it started, and the ones they started in turn.
std::set<DWORD> Started()
{
    std::set<DWORD> ids = {::GetCurrentProcessId()};
    ScopedHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (size_t found = 0; found != ids.size();) {
        found = ids.size();
        for (BOOL more = ::Process32First(snapshot.get(), &entry); more; more = ::Process32Next(snapshot.get(), &entry))
            if (ids.count(entry.th32ParentProcessID))
                ids.insert(entry.th32ProcessID);
    }
    return ids;
}

LOGFONTA FontOf(HFONT font)
{
    LOGFONTA info{};
    ::GetObjectA(font, sizeof(info), &info);
    return info;
}

TEST_F(LinkTest, HoverLeaveAndOpensThatWorkOrFail)
{
    MakeEngine(LangIni());
    ::SetCursorPos(1000, 740);
    RunFrame([&] {
        CStaticLink& link = Frame().PublisherLink();
        HWND control = Item(IDC_PUBLISHER_LINK);
        // Read from the frame once it is on the screen (a read before fails, and is retried).
        EXPECT_EQ(CClientDC(&Frame()).GetPixel(10, 10), link.GetBackColour()) << "the frame's own background";
        EXPECT_EQ(CStaticLink::kUnvisitedColour, link.GetTextColour());

        RECT rect;
        ::GetWindowRect(control, &rect);
        POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        auto press = [&] { Post(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2)); };

        ::SetCursorPos(centre.x, centre.y);
        EXPECT_EQ(HTCLIENT, ::SendMessageA(control, WM_NCHITTEST, 0, MAKELPARAM(centre.x, centre.y)));
        EXPECT_EQ(CStaticLink::kHoverColour, link.GetTextColour());
        Sync();
        LOGFONTA hoverFont = FontOf(link.GetHoverFont());
        LOGFONTA controlFont = FontOf(reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0)));
        EXPECT_EQ(1, hoverFont.lfUnderline);
        EXPECT_STREQ(controlFont.lfFaceName, hoverFont.lfFaceName);
        EXPECT_EQ(controlFont.lfHeight, hoverFont.lfHeight);
        ::Sleep(4 * CStaticLink::kHoverPollMs);
        EXPECT_TRUE(link.IsHovering()) << "the timer sees the mouse still over the link";
        EXPECT_EQ(TRUE, ::SendMessageA(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control),
                                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
        EXPECT_TRUE(CStaticLink::HandCursor());

        EXPECT_EQ(scratch.str(), link.GetTarget());
        link.SetTarget(scratch.file("no such folder\\nothing.orvanta-none"));
        press();
        EXPECT_EQ(CStaticLink::kHoverColour, link.GetTextColour()) << "a failed open changes nothing";

        // An empty target opens the control's own text.
        ::SetWindowTextA(control, scratch.str().c_str());
        link.SetTarget("");
        std::set<DWORD> before = Started();
        press();
        EXPECT_EQ(scratch.str(), link.GetTarget());
        EXPECT_EQ(CStaticLink::kVisitedColour, link.GetTextColour());
        ::SetCursorPos(1000, 740);
        EXPECT_TRUE(WaitFor([&] { return !link.IsHovering(); }, 2000));
        Sync();
        EXPECT_EQ(CStaticLink::kUnvisitedColour, link.GetTextColour()) << "visited is not remembered";
        EXPECT_EQ(0, FontOf(link.GetNormalFont()).lfUnderline);

        // The shell's "open" of a folder starts a browser: end what the click started, by
        // its process ids and nothing else (other programs are none of this test's business).
        std::set<DWORD> fresh;
        WaitFor([&] {
            for (DWORD id : Started())
                if (!before.count(id))
                    fresh.insert(id);
            return !fresh.empty();
        }, 5000);
        for (DWORD id : fresh)
            ::TerminateProcess(ScopedHandle(::OpenProcess(PROCESS_TERMINATE, FALSE, id)).get(), 0);
    });
}

} // namespace
