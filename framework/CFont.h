#pragma once
#include <windows.h>

// Owns one GDI font object; the object is deleted with the wrapper.
class CFont {
public:
    CFont() = default;
    virtual ~CFont();
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    BOOL CreateFontIndirect(const LOGFONTW* logFont);
    BOOL DeleteObject();
    int GetLogFont(LOGFONTW* logFont) const;

    HFONT GetSafeHandle() const { return handle_; }
    operator HFONT() const { return handle_; }

private:
    HFONT handle_ = nullptr;
};
