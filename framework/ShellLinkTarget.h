#pragma once
#include <string>

// The target path a shell link file (.lnk) names, read without resolving it (no search
// for a moved target, no network access). Empty when the file is no readable link. The
// caller's thread must have COM initialised.
class ShellLinkTarget {
public:
    static std::string Read(const std::string& linkPath);
};
