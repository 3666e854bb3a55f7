#include "uninstaller/SelfHandover.h"

#include "framework/FileApi.h"
#include "framework/ScopedHandle.h"
#include "framework/WideText.h"
#include "uninstaller/UninstallCommand.h"
#include "uninstaller/UninstallPackage.h"

std::string SelfHandover::ProgramPath()
{
    return FileApi::ModulePath();
}

bool SelfHandover::StartCopy(const std::string& workFolder, const std::string& installDirectory, bool silent,
                             HANDLE result)
{
    std::string copy = workFolder + "\\" + UninstallPackage::ProgramName;
    const std::string program = ProgramPath();
    if (program.empty() || !FileApi::Copy(program, copy, false))
        return false;
    HANDLE self = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentProcess(), ::GetCurrentProcess(), &self, SYNCHRONIZE,
                           TRUE, 0))
        return false;
    ScopedHandle original(self);
    std::wstring command = WideText::FromUtf8(
        "\"" + copy + "\" " + UninstallCommand::HandoverArguments(self, result, installDirectory, silent));
    const std::wstring wideCopy = WideText::FromUtf8(copy), wideFolder = WideText::FromUtf8(workFolder);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(wideCopy.c_str(), &command[0], nullptr, nullptr, TRUE, 0, nullptr, wideFolder.c_str(),
                          &startup, &process))
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
    FileApi::Move(programPath, std::string(), MOVEFILE_DELAY_UNTIL_REBOOT);
    FileApi::Move(folder, std::string(), MOVEFILE_DELAY_UNTIL_REBOOT);
}
