#include "framework/CFont.h"

CFont::~CFont()
{
    DeleteObject();
}

BOOL CFont::CreateFontIndirect(const LOGFONTW* logFont)
{
    DeleteObject();
    handle_ = ::CreateFontIndirectW(logFont);
    return handle_ != nullptr;
}

BOOL CFont::DeleteObject()
{
    if (!handle_)
        return FALSE;
    BOOL ok = ::DeleteObject(handle_);
    handle_ = nullptr;
    return ok;
}

int CFont::GetLogFont(LOGFONTW* logFont) const
{
    return handle_ ? ::GetObjectW(handle_, sizeof(LOGFONTW), logFont) : 0;
}
