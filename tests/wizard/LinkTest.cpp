// The publisher hyperlink of a running frame: its colours as the mouse comes and goes,
// opens that fail and work, the window-text fallback.
#include "WizardFixture.h"
#include "resources/resource.h"

namespace {

using LinkTest = WizardFixture;

TEST_F(LinkTest, HoverLeaveAndOpensThatWorkOrFail)
{
    MakeEngine(LangIni());
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

        link.SetTarget(scratch.file("no such folder\\nothing.orvanta-none"));
        Post(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        EXPECT_EQ(CStaticLink::kHoverColour, link.GetTextColour()) << "a failed open changes nothing";

        // An empty target opens the control's own text: a program that ends at once.
        char system[MAX_PATH] = {};
        ::GetSystemDirectoryA(system, MAX_PATH);
        const std::string program = std::string(system) + "\\hostname.exe";
        ::SetWindowTextA(control, program.c_str());
        link.SetTarget("");
        Post(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        EXPECT_EQ(CStaticLink::kVisitedColour, link.GetTextColour());
        ::SetCursorPos(1000, 740);
        EXPECT_TRUE(WaitFor([&] { return !link.IsHovering(); }, 2000));
        Sync();
        EXPECT_EQ(CStaticLink::kUnvisitedColour, link.GetTextColour()) << "visited is not remembered";
    });
}

} // namespace
