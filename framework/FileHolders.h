#pragma once
#include <string>
#include <vector>

// The programs that hold a file open, as the Restart Manager names them, for a question
// that tells the user which program to close. Empty when the system cannot say (no
// Restart Manager, a holder it cannot see, or none).
class FileHolders {
public:
    // Each holder's name for people (its window title or application name), UTF-8.
    static std::vector<std::string> Of(const std::string& path);
};
