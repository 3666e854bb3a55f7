#include "remover/FolderPath.h"

#include <windows.h>

#include "framework/WideText.h"

std::wstring FolderPath::Full(const std::wstring& path)
{
    if (path.empty())
        return std::wstring();
    std::wstring full(MAX_PATH, L'\0');
    DWORD n = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
    if (n >= full.size()) {
        full.assign(n + 1, L'\0');
        n = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
    }
    if (n == 0 || n >= full.size())
        return std::wstring();
    full.resize(n);
    while (!full.empty() && (full.back() == L'\\' || full.back() == L'/'))
        full.pop_back();
    return full;
}

std::wstring FolderPath::Full(const std::string& ansiPath)
{
    return Full(WideText::FromAnsi(ansiPath));
}

bool FolderPath::IsInside(const std::wstring& path, const std::wstring& folder)
{
    std::wstring p = Full(path), f = Full(folder);
    return !f.empty() && p.size() > f.size() + 1 && p[f.size()] == L'\\' &&
           WideText::SameIgnoringCase(p.c_str(), f.size(), f.c_str(), f.size());
}

bool FolderPath::IsInside(const std::string& path, const std::string& folder)
{
    return IsInside(WideText::FromAnsi(path), WideText::FromAnsi(folder));
}

bool FolderPath::IsSame(const std::string& a, const std::string& b)
{
    std::wstring fa = Full(a), fb = Full(b);
    return !fa.empty() && WideText::SameIgnoringCase(fa, fb);
}
