#include "framework/CFileFind.h"

#include "framework/WideText.h"

CFileFind::~CFileFind()
{
    Close();
}

BOOL CFileFind::FindFile(const char* pattern)
{
    Close();
    if (!pattern)
        pattern = "*.*";
    handle_ = ::FindFirstFileW(WideText::FromUtf8(pattern).c_str(), &next_);
    if (handle_ == INVALID_HANDLE_VALUE)
        return FALSE;
    haveNext_ = true;
    // In UTF-8 no byte of a longer character equals an ASCII one, so the last separator
    // can be found byte by byte.
    std::string text(pattern);
    std::size_t last = text.find_last_of("\\/");
    root_ = last == std::string::npos ? std::string() : text.substr(0, last + 1);
    return TRUE;
}

BOOL CFileFind::FindNextFile()
{
    if (!haveNext_)
        return FALSE;
    current_ = next_;
    haveNext_ = ::FindNextFileW(handle_, &next_) != FALSE;
    return haveNext_;
}

void CFileFind::Close()
{
    if (handle_ != INVALID_HANDLE_VALUE)
        ::FindClose(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    haveNext_ = false;
    current_ = WIN32_FIND_DATAW{};
}

std::string CFileFind::GetFileName() const
{
    return WideText::ToUtf8(current_.cFileName);
}

std::string CFileFind::GetFilePath() const
{
    return root_ + GetFileName();
}

BOOL CFileFind::IsDots() const
{
    const wchar_t* n = current_.cFileName;
    return n[0] == L'.' && (n[1] == L'\0' || (n[1] == L'.' && n[2] == L'\0'));
}

BOOL CFileFind::MatchesMask(DWORD mask) const
{
    return (current_.dwFileAttributes & mask) != 0;
}
