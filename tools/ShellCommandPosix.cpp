#include "tools/ShellCommand.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

// Inside single quotes sh takes every byte literally, spaces and double quotes included;
// only a single quote itself has to end the quoting, be escaped, and reopen it.
bool ShellCommand::Quote(const std::string& path, std::string& quoted)
{
    quoted = "'";
    for (char c : path)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    quoted += "'";
    return true;
}

bool ShellCommand::Run(const std::string& command, int& exitCode)
{
    // The command's own output follows what the packer printed before it.
    std::fflush(stdout);
    std::fflush(stderr);
    int status = std::system(command.c_str());
    if (status == -1 || !WIFEXITED(status))
        return false;
    exitCode = WEXITSTATUS(status);
    return true;
}
