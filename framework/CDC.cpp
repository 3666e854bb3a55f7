#include "framework/CDC.h"

#include "framework/CFont.h"

HFONT CDC::SelectObject(CFont* font)
{
    if (!font || !font->GetSafeHandle())
        return nullptr;
    return static_cast<HFONT>(::SelectObject(m_hDC, font->GetSafeHandle()));
}
