#include "framework/ScopedItemIdList.h"

void ScopedItemIdList::reset(LPITEMIDLIST list)
{
    if (list_ && list_ != list)
        ::CoTaskMemFree(list_);
    list_ = list;
}

std::string ScopedItemIdList::GetPath() const
{
    char path[MAX_PATH] = {};
    if (!list_ || !::SHGetPathFromIDListA(list_, path))
        return std::string();
    return path;
}
