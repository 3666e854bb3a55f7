// The publisher hyperlink of a running frame: hover colour and underline, the timer's
// leave, the hand cursor, visited after an open that worked, a beep and no change after
// one that failed, the window-text fallback, the background from the frame and a
// picture static that paints nothing of its own.
#include <set>

#include "FrameDriver.h"
#include "WizardFixture.h"
#include "resources/resource.h"

namespace {

class LinkTest : public WizardFixture {
protected:
    static HWND Link(FrameDriver& d) { return ::GetDlgItem(d.FrameWindow(), IDC_PUBLISHER_LINK); }
    static POINT Centre(HWND hwnd)
    {
        RECT rect;
        ::GetWindowRect(hwnd, &rect);
        return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }
    static void MouseAway() { ::SetCursorPos(1000, 740); }
    static void Hover(FrameDriver& d)
    {
        POINT centre = Centre(Link(d));
        EXPECT_EQ(HTCLIENT, ::SendMessageA(Link(d), WM_NCHITTEST, 0, MAKELPARAM(centre.x, centre.y)));
    }
    static void Press(FrameDriver& d)
    {
        ::PostMessageA(Link(d), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        d.Sync();
    }
    // Top-level windows of other processes: the shell's "open" of a folder starts one.
    static std::set<HWND> ForeignWindows()
    {
        std::set<HWND> windows;
        ::EnumWindows(
            [](HWND hwnd, LPARAM param) -> BOOL {
                DWORD process = 0;
                ::GetWindowThreadProcessId(hwnd, &process);
                if (process != ::GetCurrentProcessId())
                    reinterpret_cast<std::set<HWND>*>(param)->insert(hwnd);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&windows));
        return windows;
    }
    // Ends what an open started: by its own process id, nothing else.
    static void CloseStartedWindows(const std::set<HWND>& before)
    {
        ::Sleep(1500);
        for (HWND hwnd : ForeignWindows()) {
            if (before.count(hwnd) || !::IsWindowVisible(hwnd))
                continue;
            DWORD process = 0;
            ::GetWindowThreadProcessId(hwnd, &process);
            if (HANDLE handle = ::OpenProcess(PROCESS_TERMINATE, FALSE, process)) {
                ::TerminateProcess(handle, 0);
                ::CloseHandle(handle);
            }
        }
    }
};

TEST_F(LinkTest, HoverTurnsBlueAndUnderlinedAndTheTimerFindsTheMouseGone)
{
    MakeEngine(LangIni());
    MouseAway();
    FrameDriver driver;
    driver.Run([&](FrameDriver& d) {
        CStaticLink& link = d.Frame().PublisherLink();
        EXPECT_EQ(CStaticLink::kUnvisitedColour, link.GetTextColour());
        EXPECT_FALSE(link.IsHovering());

        ::SetCursorPos(Centre(Link(d)).x, Centre(Link(d)).y);
        Hover(d);
        EXPECT_TRUE(link.IsHovering());
        EXPECT_EQ(CStaticLink::kHoverColour, link.GetTextColour());
        d.Sync();
        ASSERT_TRUE(link.GetHoverFont());
        LOGFONTA hover{}, control{};
        ::GetObjectA(link.GetHoverFont(), sizeof(hover), &hover);
        ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(Link(d), WM_GETFONT, 0, 0)), sizeof(control), &control);
        EXPECT_EQ(1, hover.lfUnderline);
        EXPECT_STREQ(control.lfFaceName, hover.lfFaceName);
        EXPECT_EQ(control.lfHeight, hover.lfHeight);

        ::Sleep(400);
        EXPECT_TRUE(link.IsHovering()) << "the mouse is still over the link";

        EXPECT_EQ(TRUE, ::SendMessageA(Link(d), WM_SETCURSOR, reinterpret_cast<WPARAM>(Link(d)),
                                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
        EXPECT_TRUE(CStaticLink::HandCursor());
        EXPECT_EQ(CStaticLink::HandCursor(), CStaticLink::HandCursor()) << "loaded once";

        MouseAway();
        EXPECT_TRUE(d.WaitFor([&] { return !link.IsHovering(); }, 2000));
        EXPECT_EQ(CStaticLink::kUnvisitedColour, link.GetTextColour());
        d.Sync();
        LOGFONTA normal{};
        ASSERT_TRUE(link.GetNormalFont());
        ::GetObjectA(link.GetNormalFont(), sizeof(normal), &normal);
        EXPECT_EQ(0, normal.lfUnderline);
    });
}

TEST_F(LinkTest, BackgroundIsTheFramesPixelAt10And10)
{
    MakeEngine(LangIni());
    FrameDriver driver;
    driver.Run([&](FrameDriver& d) {
        HDC dc = ::GetDC(d.FrameWindow());
        COLORREF pixel = ::GetPixel(dc, 10, 10);
        ::ReleaseDC(d.FrameWindow(), dc);
        EXPECT_EQ(pixel, d.Frame().PublisherLink().GetBackColour());
    });
}

TEST_F(LinkTest, AnOpenThatWorksTurnsPurpleAndLeavingTurnsGrey)
{
    MakeEngine(LangIni());
    MouseAway();
    FrameDriver driver;
    driver.Run([&](FrameDriver& d) {
        CStaticLink& link = d.Frame().PublisherLink();
        EXPECT_EQ(scratch.str(), link.GetTarget());
        std::set<HWND> before = ForeignWindows();
        Hover(d);
        Press(d);
        EXPECT_EQ(CStaticLink::kVisitedColour, link.GetTextColour());
        CloseStartedWindows(before);
        EXPECT_TRUE(d.WaitFor([&] { return !link.IsHovering(); }, 2000));
        EXPECT_EQ(CStaticLink::kUnvisitedColour, link.GetTextColour()) << "visited is not remembered";
    });
}

TEST_F(LinkTest, AnOpenThatFailsKeepsTheColour)
{
    MakeEngine(LangIni());
    MouseAway();
    FrameDriver driver;
    driver.Run([&](FrameDriver& d) {
        CStaticLink& link = d.Frame().PublisherLink();
        link.SetTarget(scratch.file("no such folder\\nothing.orvanta-none"));
        Hover(d);
        Press(d);
        EXPECT_EQ(CStaticLink::kHoverColour, link.GetTextColour());
    });
}

TEST_F(LinkTest, AnEmptyTargetOpensTheControlsOwnText)
{
    std::string lang = LangIni();
    lang.replace(lang.find("linkto="), 7 + scratch.str().size(), "linkto=");
    lang.replace(lang.find("linkfrom=Test Publisher"), 23, "linkfrom=" + scratch.str());
    MakeEngine(lang);
    MouseAway();
    FrameDriver driver;
    driver.Run([&](FrameDriver& d) {
        CStaticLink& link = d.Frame().PublisherLink();
        EXPECT_EQ("", link.GetTarget());
        std::set<HWND> before = ForeignWindows();
        Hover(d);
        Press(d);
        EXPECT_EQ(scratch.str(), link.GetTarget());
        EXPECT_EQ(CStaticLink::kVisitedColour, link.GetTextColour());
        CloseStartedWindows(before);
    });
}

TEST_F(LinkTest, APictureStaticPaintsNothingOfItsOwn)
{
    MakeEngine(LangIni());
    FrameDriver driver;
    driver.Run([&](FrameDriver& d) {
        HWND banner = ::GetDlgItem(d.FrameWindow(), IDC_BANNER);
        CStaticLink pictureLink;
        ASSERT_TRUE(pictureLink.SubclassWindow(banner));
        HDC dc = ::GetDC(banner);
        ::SetTextColor(dc, RGB(1, 2, 3));
        LRESULT brush = ::SendMessageA(d.FrameWindow(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                       reinterpret_cast<LPARAM>(banner));
        EXPECT_EQ(reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH)), brush);
        EXPECT_EQ(RGB(1, 2, 3), ::GetTextColor(dc));
        EXPECT_FALSE(pictureLink.GetNormalFont());
        ::ReleaseDC(banner, dc);
        pictureLink.UnsubclassWindow();
    });
}

} // namespace
