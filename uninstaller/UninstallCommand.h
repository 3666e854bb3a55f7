#pragma once
#include <windows.h>

#include <string>

// The uninstaller's command line:
//   (nothing)                          ask, remove, report
//   /S                                 remove without showing anything
//   /R <process> <pipe> "<install directory>"
//                                      the copy in the temporary folder that removes for
//                                      the process whose inherited handle is given and
//                                      sends its exit code into the inherited pipe
// Options are case-insensitive; anything else is ignored.
class UninstallCommand {
public:
    static UninstallCommand Parse(const char* commandLine);

    // The arguments that start the copy for this process, result pipe and install directory.
    static std::string HandoverArguments(HANDLE original, HANDLE result, const std::string& installDirectory,
                                         bool silent);

    bool Silent() const { return silent_; }
    bool IsCopy() const { return isCopy_; }
    HANDLE Original() const { return original_; }
    HANDLE Result() const { return result_; }
    const std::string& InstallDirectory() const { return installDirectory_; }

private:
    bool silent_ = false;
    bool isCopy_ = false;
    HANDLE original_ = nullptr;
    HANDLE result_ = nullptr;
    std::string installDirectory_;
};
