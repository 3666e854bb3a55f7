#include "framework/SpecialFolder.h"

#include "framework/ScopedItemIdList.h"

std::string SpecialFolder::Path(int csidl)
{
    ScopedItemIdList items;
    if (FAILED(::SHGetSpecialFolderLocation(nullptr, csidl, items.put())) || !items)
        return std::string();
    return items.GetPath();
}

std::string SpecialFolder::PathWithBackslash(int csidl)
{
    std::string path = Path(csidl);
    return path.empty() ? path : path + "\\";
}
