#include "framework/CClientDC.h"

#include "framework/CWnd.h"

CClientDC::CClientDC(CWnd* wnd) : hwnd_(wnd->GetSafeHwnd())
{
    m_hDC = ::GetDC(hwnd_);
}

CClientDC::~CClientDC()
{
    if (m_hDC)
        ::ReleaseDC(hwnd_, m_hDC);
}
