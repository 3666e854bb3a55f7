#pragma once
#include "framework/CDC.h"

class CWnd;

// The paint DC of a WM_PAINT handler: BeginPaint in the constructor, EndPaint in the
// destructor, so the update region is validated however the handler returns.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;

    PAINTSTRUCT m_ps{};

private:
    HWND hwnd_;
};
