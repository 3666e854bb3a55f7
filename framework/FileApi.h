#pragma once
#include <windows.h>

#include <string>

// The file system's calls for UTF-8 paths: each converts once and calls the UTF-16
// function, so a name holds any character the file system does, whatever the code page
// of the machine. Results are those of the system call (GetLastError tells why).
class FileApi {
public:
    // GetFileAttributesW: INVALID_FILE_ATTRIBUTES when nothing is there.
    static DWORD Attributes(const std::string& path);
    static bool AttributeData(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data);
    static bool SetAttributes(const std::string& path, DWORD attributes);
    static bool MakeFolder(const std::string& path, SECURITY_ATTRIBUTES* security = nullptr);
    static bool RemoveFolder(const std::string& path);
    static bool RemoveFile(const std::string& path);
    // MoveFileExW with flags (MOVEFILE_...); an empty destination (with
    // MOVEFILE_DELAY_UNTIL_REBOOT) deletes at the next start.
    static bool Move(const std::string& from, const std::string& to, DWORD flags);
    static bool Copy(const std::string& from, const std::string& to, bool failIfExists);
    // CreateFileW; INVALID_HANDLE_VALUE on failure.
    static HANDLE Open(const std::string& path, DWORD access, DWORD share, DWORD disposition, DWORD flags,
                       SECURITY_ATTRIBUTES* security = nullptr);
    // GetFullPathNameW; empty on failure.
    static std::string FullPath(const std::string& path);
    // The file of a loaded module (null: this program); empty on failure.
    static std::string ModulePath(HMODULE module = nullptr);
    // GetTempPathW, with its trailing backslash; empty on failure.
    static std::string TempFolder();
};
