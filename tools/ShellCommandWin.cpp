#include "tools/ShellCommand.h"

#include <cstdio>
#include <cstdlib>

// Windows names cannot hold a double quote, so double quotes enclose any path, spaces
// included. cmd expands %NAME% even inside them and offers no escape there, so a path
// with a percent sign is refused rather than handed over changed.
bool ShellCommand::Quote(const std::string& path, std::string& quoted)
{
    if (path.find_first_of("\"%") != std::string::npos)
        return false;
    quoted = "\"" + path + "\"";
    return true;
}

bool ShellCommand::Run(const std::string& command, int& exitCode)
{
    std::fflush(stdout);
    std::fflush(stderr);
    // system() hands its argument to cmd /c, which drops the first and the last double
    // quote of a line holding more than two: the outer pair keeps the command's own.
    int status = std::system(("\"" + command + "\"").c_str());
    if (status == -1)
        return false;
    exitCode = status;
    return true;
}
