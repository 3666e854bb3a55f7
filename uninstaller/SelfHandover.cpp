#include "uninstaller/SelfHandover.h"

#include "framework/ScopedHandle.h"
#include "uninstaller/UninstallCommand.h"
#include "uninstaller/UninstallPackage.h"

std::string SelfHandover::ProgramPath()
{
    char path[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(path, length) : std::string();
}

bool SelfHandover::StartCopy(const std::string& workFolder, const std::string& installDirectory, bool silent,
                             HANDLE result)
{
    std::string copy = workFolder + "\\" + UninstallPackage::ProgramName;
    if (!::CopyFileA(ProgramPath().c_str(), copy.c_str(), FALSE))
        return false;
    HANDLE self = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentProcess(), ::GetCurrentProcess(), &self, SYNCHRONIZE,
                           TRUE, 0))
        return false;
    ScopedHandle original(self);
    std::string command =
        "\"" + copy + "\" " + UninstallCommand::HandoverArguments(self, result, installDirectory, silent);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessA(copy.c_str(), &command[0], nullptr, nullptr, TRUE, 0, nullptr, workFolder.c_str(), &startup,
                          &process))
        return false;
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return true;
}

void SelfHandover::WaitForOriginal(HANDLE original, DWORD timeoutMs)
{
    if (!original)
        return;
    ::WaitForSingleObject(original, timeoutMs);
    ::CloseHandle(original);
}

void SelfHandover::DeleteAtRestart(const std::string& programPath, const std::string& folder)
{
    ::MoveFileExA(programPath.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    ::MoveFileExA(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}
