#pragma once
#include <windows.h>

#include <string>

// Directory enumeration in the framework's shape:
//   CFileFind finder;
//   BOOL more = finder.FindFile(pattern);
//   while (more) { more = finder.FindNextFile(); ... use the current entry ... }
// FindNextFile makes the next entry current and returns whether another one follows it.
class CFileFind {
public:
    CFileFind() = default;
    virtual ~CFileFind();
    CFileFind(const CFileFind&) = delete;
    CFileFind& operator=(const CFileFind&) = delete;

    // UTF-8 pattern and names.
    BOOL FindFile(const char* pattern);
    BOOL FindNextFile();
    void Close();

    std::string GetFileName() const;
    std::string GetFilePath() const;
    BOOL IsDots() const;
    BOOL IsDirectory() const { return MatchesMask(FILE_ATTRIBUTE_DIRECTORY); }
    BOOL MatchesMask(DWORD mask) const;
    DWORD GetAttributes() const { return current_.dwFileAttributes; }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    std::string root_;   // the folder part of the pattern, with its trailing separator
    WIN32_FIND_DATAW current_{};
    WIN32_FIND_DATAW next_{};
    bool haveNext_ = false;
};
