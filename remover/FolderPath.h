#pragma once
#include <string>

// How two paths relate, compared as the file system compares names: on their full forms,
// case-insensitively, as UTF-16, trailing separators ignored.
class FolderPath {
public:
    // The full form (GetFullPathNameW) without trailing separators; empty when it has none.
    static std::wstring Full(const std::wstring& path);
    static std::wstring Full(const std::string& path);

    // True when path lies strictly inside folder.
    static bool IsInside(const std::wstring& path, const std::wstring& folder);
    static bool IsInside(const std::string& path, const std::string& folder);
    static bool IsSame(const std::string& a, const std::string& b);

    // The path after every link, junction and substituted drive on the way: the final
    // path of the deepest part that exists, followed by the rest. Empty when no part of it
    // can be resolved.
    static std::string Final(const std::string& path);
    static std::wstring FinalWide(const std::wstring& path);
};
