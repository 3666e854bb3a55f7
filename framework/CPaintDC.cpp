#include "framework/CPaintDC.h"

#include "framework/CWnd.h"

CPaintDC::CPaintDC(CWnd* wnd) : hwnd_(wnd->GetSafeHwnd())
{
    m_hDC = ::BeginPaint(hwnd_, &m_ps);
}

CPaintDC::~CPaintDC()
{
    ::EndPaint(hwnd_, &m_ps);
}
