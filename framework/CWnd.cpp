#include "framework/CWnd.h"

#include "framework/WideText.h"

#include "framework/CFont.h"
#include "framework/CWinApp.h"

namespace {

// The window property under which a subclassed window keeps its CWnd object.
const wchar_t kOwnerProperty[] = L"Orvanta.CWnd";

// The application must not keep pointing at a main window that is gone.
void ForgetMainWindow(CWnd* wnd)
{
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == wnd)
        app->m_pMainWnd = nullptr;
}

} // namespace

CWnd::~CWnd()
{
    ForgetMainWindow(this);
    // An object that dies before its window must not leave the thunk pointing at it.
    if (superProc_ && ::IsWindow(m_hWnd))
        UnsubclassWindow();
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd)
{
    return hwnd ? static_cast<CWnd*>(::GetPropW(hwnd, kOwnerProperty)) : nullptr;
}

CWnd* CWnd::FromHandle(HWND hwnd, CWnd& temporary)
{
    if (CWnd* owner = FromHandlePermanent(hwnd))
        return owner;
    temporary.Attach(hwnd);
    return &temporary;
}

BOOL CWnd::Attach(HWND hwnd)
{
    if (m_hWnd || !hwnd)
        return FALSE;
    m_hWnd = hwnd;
    return TRUE;
}

HWND CWnd::Detach()
{
    if (superProc_)
        return UnsubclassWindow();
    HWND hwnd = m_hWnd;
    m_hWnd = nullptr;
    children_.clear();
    return hwnd;
}

BOOL CWnd::SubclassWindow(HWND hwnd)
{
    if (m_hWnd || !::IsWindow(hwnd) || FromHandlePermanent(hwnd))
        return FALSE;
    if (!::SetPropW(hwnd, kOwnerProperty, this))
        return FALSE;
    m_hWnd = hwnd;
    superProc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::SubclassProc)));
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    HWND control = parent ? ::GetDlgItem(parent->m_hWnd, static_cast<int>(id)) : nullptr;
    return control ? SubclassWindow(control) : FALSE;
}

HWND CWnd::UnsubclassWindow()
{
    HWND hwnd = m_hWnd;
    if (!superProc_)
        return nullptr;
    ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(superProc_));
    ::RemovePropW(hwnd, kOwnerProperty);
    superProc_ = nullptr;
    m_hWnd = nullptr;
    children_.clear();
    return hwnd;
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd)
        return FALSE;
    // A subclassed window forgets its handle in WM_NCDESTROY (and may delete this object
    // there); an attached one forgets it here.
    bool owned = superProc_ != nullptr;
    HWND hwnd = m_hWnd;
    if (!owned)
        Detach();
    return ::DestroyWindow(hwnd);
}

CWnd* CWnd::GetDlgItem(int id) const
{
    HWND control = ::GetDlgItem(m_hWnd, id);
    if (!control)
        return nullptr;
    if (CWnd* owner = FromHandlePermanent(control))
        return owner;
    for (const auto& child : children_)
        if (child->m_hWnd == control)
            return child.get();
    children_.push_back(std::make_unique<CWnd>());
    children_.back()->Attach(control);
    return children_.back().get();
}

std::string CWnd::GetWindowText() const
{
    return TextOf(m_hWnd);
}

std::string CWnd::TextOf(HWND hwnd)
{
    int length = ::GetWindowTextLengthW(hwnd);
    if (length <= 0)
        return std::string();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int copied = ::GetWindowTextW(hwnd, &text[0], length + 1);
    return WideText::ToUtf8(text.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

void CWnd::SetWindowText(const std::string& text)
{
    ::SetWindowTextW(m_hWnd, WideText::FromUtf8(text).c_str());
}

void CWnd::SetDlgItemText(int id, const std::string& text)
{
    ::SetDlgItemTextW(m_hWnd, id, WideText::FromUtf8(text).c_str());
}

int CWnd::ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT type)
{
    return ::MessageBoxW(owner, WideText::FromUtf8(text).c_str(), WideText::FromUtf8(caption).c_str(), type);
}

std::string CWnd::GetDlgItemText(int id) const
{
    HWND control = ::GetDlgItem(m_hWnd, id);
    if (!control)
        return std::string();
    CWnd temporary;
    temporary.Attach(control);
    std::string text = temporary.GetWindowText();
    temporary.Detach();
    return text;
}

void CWnd::SetFont(CFont* font, BOOL redraw)
{
    HFONT handle = font ? font->GetSafeHandle() : nullptr;
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(handle), MAKELPARAM(redraw ? TRUE : FALSE, 0));
}

LRESULT CWnd::Default()
{
    return DefWindowProc(current_.message, current_.wParam, current_.lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (superProc_)
        return ::CallWindowProcW(superProc_, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* owner = FromHandlePermanent(hwnd);
    if (!owner)
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    return owner->Dispatch(message, wParam, lParam);
}

LRESULT CWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    CurrentMessage outer = current_;
    current_ = CurrentMessage{message, wParam, lParam};
    LRESULT result = WindowProc(message, wParam, lParam);
    current_ = outer;
    if (message == WM_NCDESTROY) {
        UnsubclassWindow();
        ForgetMainWindow(this);
        PostNcDestroy();   // may delete this object: nothing of it is touched afterwards
    }
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

const MessageMapEntry* CWnd::FindEntry(const MessageMap* map, UINT message, UINT code, UINT id)
{
    for (; map; map = map->base ? map->base() : nullptr) {
        for (const MessageMapEntry* entry = map->entries; entry->handler; ++entry) {
            if (entry->message != message)
                continue;
            if (message != WM_COMMAND || (entry->code == code && entry->id == id))
                return entry;
        }
    }
    return nullptr;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    UINT key = message;
    UINT code = 0;
    UINT id = 0;
    if (message == WM_COMMAND) {
        code = HIWORD(wParam);
        id = LOWORD(wParam);
    } else if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
        key = msgmap::kCtlColor;
    }
    const MessageMapEntry* entry = FindEntry(GetMessageMap(), key, code, id);
    if (!entry)
        return FALSE;
    *result = entry->handler(this, message, wParam, lParam);
    return TRUE;
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message < WM_CTLCOLORMSGBOX || message > WM_CTLCOLORSTATIC)
        return FALSE;
    const MessageMapEntry* entry = FindEntry(GetMessageMap(), msgmap::kReflectBase + msgmap::kCtlColor, 0, 0);
    if (!entry)
        return FALSE;
    LRESULT brush = entry->handler(this, message, wParam, lParam);
    if (!brush)
        return FALSE;
    *result = brush;
    return TRUE;
}

HBRUSH CWnd::OnCtlColor(CDC*, CWnd* control, UINT)
{
    LRESULT result = 0;
    if (control && control->OnChildNotify(current_.message, current_.wParam, current_.lParam, &result))
        return reinterpret_cast<HBRUSH>(result);
    return reinterpret_cast<HBRUSH>(Default());
}

const MessageMap* CWnd::GetThisMessageMap()
{
    using ThisClass = CWnd;
    static const MessageMapEntry entries[] = {
        ON_WM_CTLCOLOR()
        {0, 0, 0, nullptr}
    };
    static const MessageMap map = {nullptr, entries};
    return &map;
}

const MessageMap* CWnd::GetMessageMap() const
{
    return GetThisMessageMap();
}
