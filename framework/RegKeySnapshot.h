#pragma once
#include <windows.h>

#include <string>
#include <vector>

// The values of one registry key as they were, taken before a run changes them, so that
// a run that fails or is abandoned can put the key back exactly: every value with its
// type and bytes, whether or not the key existed at all. Subkeys are not part of it.
class RegKeySnapshot {
public:
    // Reads the key (path UTF-8; view e.g. KEY_WOW64_64KEY, or 0). False only when the
    // key exists but cannot be read: then there is nothing to restore from.
    bool Take(HKEY root, const std::string& path, REGSAM view);
    // Puts the key back as taken: a key that did not exist is deleted (only while it has
    // no subkeys), an existing one gets exactly its earlier values again.
    bool Restore() const;
    bool Existed() const { return existed_; }

private:
    struct Value {
        std::wstring name;
        DWORD type = 0;
        std::vector<BYTE> data;
    };
    HKEY root_ = nullptr;
    std::wstring path_;
    REGSAM view_ = 0;
    bool taken_ = false;
    bool existed_ = false;
    std::vector<Value> values_;
};
