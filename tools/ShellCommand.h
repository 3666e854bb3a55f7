#pragma once
#include <string>

// A command line run through the platform's shell: /bin/sh -c on POSIX hosts, cmd /c on
// Windows. The publisher's own commands (signing) run this way, so they read as they
// would typed at that shell.
class ShellCommand {
public:
    // path as one word of that shell, taken literally; false when the shell cannot carry
    // it literally.
    static bool Quote(const std::string& path, std::string& quoted);
    // Runs command and waits; exitCode is its exit status. False when it could not be
    // started or did not end by exiting (killed by a signal).
    static bool Run(const std::string& command, int& exitCode);
};
