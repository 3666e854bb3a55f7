#include "framework/CFont.h"

CFont::~CFont()
{
    DeleteObject();
}

BOOL CFont::CreateFontIndirect(const LOGFONTA* logFont)
{
    DeleteObject();
    handle_ = ::CreateFontIndirectA(logFont);
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

int CFont::GetLogFont(LOGFONTA* logFont) const
{
    return handle_ ? ::GetObjectA(handle_, sizeof(LOGFONTA), logFont) : 0;
}
