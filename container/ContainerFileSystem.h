#pragma once
#include <cstdio>
#include <string>

// The few file-system calls of the container walk. Paths are ANSI strings that use the
// backslash as separator; the Windows side hands them to Win32 unchanged, the POSIX side
// (host tools and tests) reads every backslash as a separator.
class ContainerFileSystem {
public:
    // Creates one folder; an existing folder is not an error and the result is advisory.
    static bool CreateFolder(const std::string& path);
    static bool PathExists(const std::string& path);
    // A buffered byte stream ("rb" or "wb"), or null.
    static std::FILE* OpenStream(const std::string& path, const char* mode);
};
