#pragma once
#include <string>
#include <vector>

// A command line's words as Windows programs split them for switches: at blanks outside
// double quotes, the quotes dropped. Neither byte occurs inside a UTF-8 character.
class CommandLineWords {
public:
    static std::vector<std::string> Split(const std::string& line);
};
