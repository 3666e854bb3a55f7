#pragma once
#include "framework/CWnd.h"

// A static control; derived classes subclass one to draw it their own way.
class CStatic : public CWnd {
public:
    CStatic() = default;
    ~CStatic() override = default;

    // Shows the bitmap (STM_SETIMAGE); returns the one shown before. The caller keeps
    // owning both.
    HBITMAP SetBitmap(HBITMAP bitmap)
    {
        return reinterpret_cast<HBITMAP>(SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
    }
    HBITMAP GetBitmap() const { return reinterpret_cast<HBITMAP>(SendMessage(STM_GETIMAGE, IMAGE_BITMAP)); }
};
