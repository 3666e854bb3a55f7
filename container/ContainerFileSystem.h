#pragma once
#include <cstddef>
#include <cstdio>
#include <string>

// The few file-system calls of the container walk. Paths are UTF-8 strings that use the
// backslash as separator; the Windows side hands them to Win32 as UTF-16, the POSIX side
// (host tools and tests) reads every backslash as a separator.
class ContainerFileSystem {
public:
    // Creates one folder; true only when this call created it (an existing folder is no
    // error for the walk, but it is not the walk's to take back).
    static bool CreateFolder(const std::string& path);
    static bool PathExists(const std::string& path);
    // A buffered byte stream ("rb" or "wb"), or null.
    static std::FILE* OpenStream(const std::string& path, const char* mode);
    // The path's length as the file system limits it: UTF-16 units on Windows, bytes on POSIX.
    static size_t PathLength(const std::string& path);
};
