#pragma once
#include "framework/CWnd.h"

// A push button, check box or group box.
class CButton : public CWnd {
public:
    CButton() = default;
    ~CButton() override = default;

    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int state) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(state)); }
};
