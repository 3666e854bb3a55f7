#pragma once
#include <string>

#include "framework/CFont.h"
#include "framework/CStatic.h"
#include "wizard/LinkTarget.h"

// A static text control turned into a hyperlink by subclassing: grey at rest, blue and
// underlined with the hand cursor while the mouse is over it, purple after a click that
// the shell could open, a beep when it could not or the target is one a link may not open
// (LinkTarget). The mouse's leaving is found by a 100 ms timer that runs only while
// hovering. The owner supplies the background colour.
class CStaticLink : public CStatic {
public:
    static constexpr COLORREF kUnvisitedColour = RGB(160, 160, 160);
    static constexpr COLORREF kVisitedColour = RGB(128, 0, 128);
    static constexpr COLORREF kHoverColour = RGB(0, 0, 255);
    static constexpr UINT kHoverPollMs = 100;

    // target (UTF-8) may be null (empty); with deleteOnDestroy the object deletes itself after
    // its window is destroyed.
    explicit CStaticLink(const char* target = nullptr, bool deleteOnDestroy = false);
    ~CStaticLink() override;

    void SetTarget(const std::string& target) { linkTarget.targetText = target; }
    const std::string& GetTarget() const { return linkTarget.targetText; }
    void SetBackColour(COLORREF colour) { backColour = colour; }
    COLORREF GetBackColour() const { return backColour; }
    COLORREF GetTextColour() const { return textColour; }
    bool IsHovering() const { return hovering != FALSE; }
    // The underlined font once created (null before the first paint while hovering).
    HFONT GetHoverFont() const { return hoverFont.GetSafeHandle(); }
    HFONT GetNormalFont() const { return normalFont.GetSafeHandle(); }

    // The process's copy of the system hand cursor, loaded at the first call; null when
    // the system has none (not retried).
    static HCURSOR HandCursor();

protected:
    void PostNcDestroy() override;

    LRESULT OnNcHitTest(POINT screenPoint);
    void OnTimer(UINT_PTR timerId);
    HBRUSH CtlColor(CDC* dc, UINT ctlColorKind);
    void OnLButtonDown(UINT flags, POINT clientPoint);
    BOOL OnSetCursor(CWnd* window, UINT hitTest, UINT mouseMessage);

    DECLARE_MESSAGE_MAP()

private:
    // Opens the target, taking the control's string resource or text when it has none.
    void Follow();

    LinkTarget linkTarget;
    COLORREF textColour = kUnvisitedColour;
    COLORREF backColour = ::GetSysColor(COLOR_BTNFACE);
    CFont normalFont;
    CFont hoverFont;
    BOOL deleteOnDestroy;
    BOOL hovering = FALSE;
    UINT timerId = 1;
};
