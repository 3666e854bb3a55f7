#pragma once
#include "framework/CDC.h"

class CWnd;

// The client-area DC of a window outside painting (GetDC / ReleaseDC).
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* wnd);
    ~CClientDC() override;

private:
    HWND hwnd_;
};
