#include "framework/ScopedItemIdList.h"

#include "framework/WideText.h"

void ScopedItemIdList::reset(LPITEMIDLIST list)
{
    if (list_ && list_ != list)
        ::CoTaskMemFree(list_);
    list_ = list;
}

std::string ScopedItemIdList::GetPath() const
{
    wchar_t path[MAX_PATH] = {};
    if (!list_ || !::SHGetPathFromIDListW(list_, path))
        return std::string();
    return WideText::ToUtf8(path);
}
