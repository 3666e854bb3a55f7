#pragma once
#include <windows.h>
#include <shlobj.h>

#include <string>

// Owns a shell item id list (from SHGetSpecialFolderLocation, SHBrowseForFolderW, ...)
// and frees it with the task allocator.
class ScopedItemIdList {
public:
    explicit ScopedItemIdList(LPITEMIDLIST list = nullptr) : list_(list) {}
    ~ScopedItemIdList() { reset(); }
    ScopedItemIdList(const ScopedItemIdList&) = delete;
    ScopedItemIdList& operator=(const ScopedItemIdList&) = delete;

    LPITEMIDLIST get() const { return list_; }
    explicit operator bool() const { return list_ != nullptr; }
    // For out-parameters: frees what is held and hands out the slot.
    LPITEMIDLIST* put()
    {
        reset();
        return &list_;
    }
    void reset(LPITEMIDLIST list = nullptr);
    // The path of a file-system item (SHGetPathFromIDListW), in UTF-8; empty when it has none.
    std::string GetPath() const;

private:
    LPITEMIDLIST list_;
};
