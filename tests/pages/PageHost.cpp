#include "pages/PageHost.h"

#include "framework/CWinApp.h"
#include "resources/resource.h"

namespace pagetest {

SetupApp& App()
{
    static SetupApp app;
    return app;
}

void Pump()
{
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

void Repaint(HWND window)
{
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump();
}

void ClickListItem(HWND list, int index)
{
    RECT item{};
    ::SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    ::SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageA(list, WM_LBUTTONUP, 0, at);
    Pump();
}

std::string ItemText(HWND parent, int id)
{
    char text[4096] = {};
    ::GetDlgItemTextA(parent, id, text, sizeof(text));
    return text;
}

std::string Gbk(const std::string& utf8)
{
    int wide = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(wide), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &w[0], wide);
    int bytes = ::WideCharToMultiByte(936, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(936, 0, w.data(), wide, &out[0], bytes, nullptr, nullptr);
    return out;
}

PageHost::PageHost()
{
    App();
    window_.Create(IDD_WIZARD_FRAME, nullptr);
    // The real frame class over the host's window: its data exchange attaches the
    // navigation buttons, so EnableNavButton acts on them as in the wizard.
    frame_.Attach(window_.m_hWnd);
    frame_.UpdateData(FALSE);
    App().m_pMainWnd = &frame_;
    Pump();
}

PageHost::~PageHost()
{
    App().m_pMainWnd = nullptr;
    frame_.Detach();
    window_.DestroyWindow();
    Pump();
}

void PageHost::Show(HWND page)
{
    for (HWND child = ::GetWindow(window_.m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        char className[16] = {};
        ::GetClassNameA(child, className, sizeof(className));
        if (std::string(className) == "#32770" && child != page)
            ::ShowWindow(child, SW_HIDE);
    }
    ::ShowWindow(page, SW_SHOW);
    Pump();
}

void PageHost::Place(HWND page)
{
    // The frame's page band: full width, from 21 % to 84 % of the client height.
    RECT client;
    ::GetClientRect(window_.m_hWnd, &client);
    int top = static_cast<int>(client.bottom * 0.21);
    int bottom = static_cast<int>(client.bottom * 0.84);
    ::MoveWindow(page, 0, top, client.right, bottom - top, TRUE);
    Show(page);
}

} // namespace pagetest
