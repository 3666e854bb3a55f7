#pragma once
#include "framework/CWnd.h"

#include <commctrl.h>

// A progress bar ("msctls_progress32") with 32-bit ranges.
class CProgressCtrl : public CWnd {
public:
    CProgressCtrl() = default;
    ~CProgressCtrl() override = default;

    void SetRange32(int lower, int upper) { SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(lower), upper); }
    void GetRange(int& lower, int& upper) const
    {
        PBRANGE range{};
        SendMessage(PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
        lower = range.iLow;
        upper = range.iHigh;
    }
    // Each returns the position before the change; the control clamps to its range.
    int SetPos(int position) { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(position))); }
    int OffsetPos(int delta) { return static_cast<int>(SendMessage(PBM_DELTAPOS, static_cast<WPARAM>(delta))); }
    int GetPos() const { return static_cast<int>(SendMessage(PBM_GETPOS)); }
};
