#pragma once
// Small file-system helpers for the remover's tests, over the same "A" calls the remover uses.
#include <windows.h>
#include <shlobj.h>

#include <initializer_list>
#include <string>

namespace removertest {

inline bool Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline bool MakeDir(const std::string& path)
{
    return ::CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

inline bool MakeFile(const std::string& path, const std::string& content = "x")
{
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok && written == content.size();
}

// Creates root and, in order, every entry below it: names ending in '\\' are folders.
inline bool MakeTree(const std::string& root, std::initializer_list<std::string> entries)
{
    if (!Exists(root) && !MakeDir(root))
        return false;
    for (const std::string& entry : entries) {
        bool folder = !entry.empty() && entry.back() == '\\';
        std::string path = root + "\\" + (folder ? entry.substr(0, entry.size() - 1) : entry);
        if (!(folder ? MakeDir(path) : MakeFile(path)))
            return false;
    }
    return true;
}

inline std::string ShellFolder(int csidl)
{
    char path[MAX_PATH] = "";
    if (FAILED(::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return std::string();
    return path;
}

} // namespace removertest
