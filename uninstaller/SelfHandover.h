#pragma once
#include <windows.h>

#include <string>

// A running program cannot delete its own file, and the uninstaller's file is one of the
// product's. So the uninstaller hands the removal over to a copy of itself in a folder of
// its own below the temporary folder, and ends; the copy waits for that end, removes, and
// leaves its file and folder to the system to delete at the next start. Nothing is left
// running.
class SelfHandover {
public:
    // Copies the running program into workFolder and starts the copy there (current
    // folder workFolder, so no process holds the install directory) with the arguments
    // that UninstallCommand::HandoverArguments makes for an inheritable handle to this
    // process. False when the copy cannot be made or started.
    static bool StartCopy(const std::string& workFolder, const std::string& installDirectory, bool silent);

    // In the copy: waits until the original process has ended, at most timeoutMs.
    static void WaitForOriginal(HANDLE original, DWORD timeoutMs);

    // Has the system delete the running program's file and then its folder (once empty)
    // at the next start.
    static void DeleteAtRestart(const std::string& programPath, const std::string& folder);

    static std::string ProgramPath();
};
