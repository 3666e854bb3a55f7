#pragma once
#include <functional>
#include <string>

// The publisher's signing command, run on a file the packer made: every {file} in it
// stands for that file's path, quoted for the shell (ShellCommand), and the command signs
// the file where it lies. The packer trusts nothing it did: a file the command left
// unchanged, or that is no longer a PE image with a certificate table at its end, or that
// fails the caller's own check, is refused like a non-zero exit.
class SigningCommand {
public:
    // What the caller needs of the signed file beyond its signature; why says what is wrong.
    using Check = std::function<bool(const std::string& path, std::string& why)>;

    explicit SigningCommand(std::string command) : command(std::move(command)) {}
    bool Empty() const { return command.empty(); }

    // Signs path in place. step names the work in the error ("signing the setup"), which
    // also carries the command's exit code.
    bool Sign(const std::string& path, const std::string& step, const Check& check, std::string& error) const;

private:
    std::string command;
};
