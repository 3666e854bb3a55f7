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

std::wstring FolderPath::Full(const std::string& path)
{
    return Full(WideText::FromUtf8(path));
}

bool FolderPath::IsInside(const std::wstring& path, const std::wstring& folder)
{
    std::wstring p = Full(path), f = Full(folder);
    return !f.empty() && p.size() > f.size() + 1 && p[f.size()] == L'\\' &&
           WideText::SameIgnoringCase(p.c_str(), f.size(), f.c_str(), f.size());
}

bool FolderPath::IsInside(const std::string& path, const std::string& folder)
{
    return IsInside(WideText::FromUtf8(path), WideText::FromUtf8(folder));
}

bool FolderPath::IsSame(const std::string& a, const std::string& b)
{
    std::wstring fa = Full(a), fb = Full(b);
    return !fa.empty() && WideText::SameIgnoringCase(fa, fb);
}

std::wstring FolderPath::FinalWide(const std::wstring& path)
{
    std::wstring existing = Full(path), rest;
    while (!existing.empty()) {
        HANDLE handle = ::CreateFileW(existing.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            std::wstring final(MAX_PATH, L'\0');
            DWORD n = ::GetFinalPathNameByHandleW(handle, &final[0], static_cast<DWORD>(final.size()), 0);
            if (n >= final.size()) {
                final.assign(n + 1, L'\0');
                n = ::GetFinalPathNameByHandleW(handle, &final[0], static_cast<DWORD>(final.size()), 0);
            }
            ::CloseHandle(handle);
            if (n == 0 || n >= final.size())
                return std::wstring();
            final.resize(n);
            if (final.compare(0, 8, L"\\\\?\\UNC\\") == 0)
                final = L"\\" + final.substr(7);
            else if (final.compare(0, 4, L"\\\\?\\") == 0)
                final = final.substr(4);
            while (!final.empty() && final.back() == L'\\')
                final.pop_back();
            return final + rest;
        }
        size_t cut = existing.find_last_of(L"\\/");
        if (cut == std::wstring::npos || cut < 2 || existing.size() <= 3)
            return std::wstring();
        rest = existing.substr(cut) + rest;
        // A drive's root keeps its separator: "C:" alone is the drive's current directory.
        existing.resize(cut == 2 ? 3 : cut);
    }
    return std::wstring();
}

std::string FolderPath::Final(const std::string& path)
{
    std::wstring final = FinalWide(WideText::FromUtf8(path));
    return WideText::ToUtf8(final);
}
