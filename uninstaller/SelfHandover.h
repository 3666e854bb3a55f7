#pragma once
#include <windows.h>

#include <string>

// A running program cannot delete its own file, and the uninstaller's file is one of the
// product's. So the uninstaller hands the removal over to a copy of itself in its work
// folder below the temporary folder (WorkFolder) and waits for the copy's exit code
// (ExitCodePipe); the copy removes, hands the code back, waits for the original's end,
// removes the original's file, and leaves its own file and folder to the system to delete
// at the next start.
class SelfHandover {
public:
    // Copies the running program into workFolder and starts the copy there (current
    // folder workFolder, so no process holds the install directory) with the arguments
    // that UninstallCommand::HandoverArguments makes for an inheritable handle to this
    // process and the inheritable write end result. False when the copy cannot be made or
    // started.
    static bool StartCopy(const std::string& workFolder, const std::string& installDirectory, bool silent,
                          HANDLE result);

    // In the copy: waits until the original process has ended, at most timeoutMs.
    static void WaitForOriginal(HANDLE original, DWORD timeoutMs);

    // Has the system delete the running program's file and then its folder (once empty)
    // at the next start.
    static void DeleteAtRestart(const std::string& programPath, const std::string& folder);

    static std::string ProgramPath();
};
