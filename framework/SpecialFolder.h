#pragma once
#include <string>

// The file-system paths of the shell's special folders (CSIDL_COMMON_PROGRAMS,
// CSIDL_DESKTOP, CSIDL_TEMPLATES, ...), as SHGetSpecialFolderLocation and
// SHGetPathFromIDListW give them: the one place that asks the shell for them.
class SpecialFolder {
public:
    // Without a trailing backslash; empty when the folder cannot be resolved or is no
    // file-system folder.
    static std::string Path(int csidl);
    // The same followed by one backslash, or empty.
    static std::string PathWithBackslash(int csidl);
};
