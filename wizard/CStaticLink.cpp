#include "wizard/CStaticLink.h"

#include "framework/CDC.h"
#include "framework/CWinApp.h"
#include "framework/WideText.h"

BEGIN_MESSAGE_MAP(CStaticLink, CStatic)
    ON_WM_NCHITTEST()
    ON_WM_CTLCOLOR_REFLECT()
    ON_WM_LBUTTONDOWN()
    ON_WM_SETCURSOR()
    ON_WM_TIMER()
END_MESSAGE_MAP()

CStaticLink::CStaticLink(const char* target, bool deleteOnDestroy)
    : linkTarget(target), deleteOnDestroy(deleteOnDestroy ? TRUE : FALSE)
{
}

CStaticLink::~CStaticLink() = default;

void CStaticLink::PostNcDestroy()
{
    if (deleteOnDestroy)
        delete this;
}

HCURSOR CStaticLink::HandCursor()
{
    // A copy, so that the cursor stays ours whatever the system does with its shared one.
    static const HCURSOR hand = [] {
        HCURSOR shared = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32649));   // IDC_HAND
        return shared ? static_cast<HCURSOR>(::CopyIcon(shared)) : nullptr;
    }();
    return hand;
}

// A static control without SS_NOTIFY is transparent to the mouse; answering HTCLIENT
// makes it receive the mouse messages. The first hit starts the hover.
LRESULT CStaticLink::OnNcHitTest(POINT)
{
    if (!hovering) {
        hovering = TRUE;
        textColour = kHoverColour;
        Invalidate(TRUE);
        SetTimer(timerId, kHoverPollMs);
    }
    return HTCLIENT;
}

void CStaticLink::OnTimer(UINT_PTR id)
{
    DWORD position = ::GetMessagePos();
    POINT point{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    ScreenToClient(&point);
    RECT client;
    GetClientRect(&client);
    if (!::PtInRect(&client, point)) {
        hovering = FALSE;
        KillTimer(timerId);
        textColour = kUnvisitedColour;
        Invalidate(TRUE);
    }
    Default();
}

HBRUSH CStaticLink::CtlColor(CDC* dc, UINT)
{
    HBRUSH nullBrush = static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
    // Picture and frame statics have nothing to colour.
    if ((GetStyle() & 0xFF) > SS_RIGHT)
        return nullBrush;
    dc->SetTextColor(textColour);
    dc->SetBkColor(backColour);
    CFont& font = hovering ? hoverFont : normalFont;
    if (!font.GetSafeHandle()) {
        LOGFONTW description{};
        HFONT current = GetFont();
        if (!current)
            current = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
        ::GetObjectW(current, sizeof(description), &description);
        description.lfUnderline = hovering ? 1 : 0;
        font.CreateFontIndirect(&description);
    }
    dc->SelectObject(&font);
    return nullBrush;
}

void CStaticLink::OnLButtonDown(UINT, POINT)
{
    Follow();
}

void CStaticLink::Follow()
{
    std::string& target = linkTarget.targetText;
    if (target.empty()) {
        wchar_t buffer[2048] = {};
        int length = ::LoadStringW(AfxGetResourceHandle(), static_cast<UINT>(GetDlgCtrlID()), buffer,
                                   static_cast<int>(sizeof(buffer) / sizeof(buffer[0])));
        target = length > 0 ? WideText::ToUtf8(buffer, static_cast<size_t>(length)) : GetWindowText();
        if (target.empty())
            return;
    }
    HINSTANCE result = linkTarget.Open();
    if (reinterpret_cast<UINT_PTR>(result) <= 32) {
        ::MessageBeep(0);
        return;
    }
    textColour = kVisitedColour;
    Invalidate(TRUE);
}

BOOL CStaticLink::OnSetCursor(CWnd*, UINT, UINT)
{
    HCURSOR hand = HandCursor();
    if (!hand)
        return static_cast<BOOL>(Default());
    ::SetCursor(hand);
    return TRUE;
}
