#include "framework/CFileFind.h"

#include <mbstring.h>

CFileFind::~CFileFind()
{
    Close();
}

BOOL CFileFind::FindFile(const char* pattern)
{
    Close();
    if (!pattern)
        pattern = "*.*";
    handle_ = ::FindFirstFileA(pattern, &next_);
    if (handle_ == INVALID_HANDLE_VALUE)
        return FALSE;
    haveNext_ = true;
    // The folder part ends at the last separator; _mbsrchr keeps a trail byte equal to
    // '\\' inside a double-byte character from being taken for one.
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pattern);
    const unsigned char* back = _mbsrchr(p, '\\');
    const unsigned char* slash = _mbsrchr(p, '/');
    const unsigned char* last = back > slash ? back : slash;
    root_ = last ? std::string(pattern, reinterpret_cast<const char*>(last) - pattern + 1) : std::string();
    return TRUE;
}

BOOL CFileFind::FindNextFile()
{
    if (!haveNext_)
        return FALSE;
    current_ = next_;
    haveNext_ = ::FindNextFileA(handle_, &next_) != FALSE;
    return haveNext_;
}

void CFileFind::Close()
{
    if (handle_ != INVALID_HANDLE_VALUE)
        ::FindClose(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    haveNext_ = false;
    current_ = WIN32_FIND_DATAA{};
}

std::string CFileFind::GetFileName() const
{
    return current_.cFileName;
}

std::string CFileFind::GetFilePath() const
{
    return root_ + current_.cFileName;
}

BOOL CFileFind::IsDots() const
{
    const char* n = current_.cFileName;
    return n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0'));
}

BOOL CFileFind::MatchesMask(DWORD mask) const
{
    return (current_.dwFileAttributes & mask) != 0;
}
