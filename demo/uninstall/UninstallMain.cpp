// Uninstall.exe: removes the Orvanta installation that the setup recorded.
//
//   Uninstall.exe          asks, then removes, then says it is done
//   Uninstall.exe /S       removes without asking or telling (for scripts)
//
// A running program cannot delete its own file, and this one normally runs from the
// install directory. So after the question it copies itself to the temporary folder,
// starts the copy with "/R <pid>" and ends; the copy waits for that process to end,
// removes everything and leaves only itself behind in the temporary folder.
#include "InstalledProduct.h"

#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

struct Options {
    bool silent = false;
    DWORD waitForProcess = 0;
    bool removalPhase = false;
};

Options ParseOptions(const char* commandLine)
{
    Options options;
    std::string line(commandLine ? commandLine : "");
    if (line.find("/S") != std::string::npos || line.find("/s") != std::string::npos)
        options.silent = true;
    size_t r = line.find("/R ");
    if (r != std::string::npos) {
        options.removalPhase = true;
        options.waitForProcess = static_cast<DWORD>(std::strtoul(line.c_str() + r + 3, nullptr, 10));
    }
    return options;
}

std::string ModulePath()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof(path) - 1);
    return path;
}

bool StartsWithFolder(const std::string& path, const std::string& folder)
{
    if (folder.empty() || path.size() <= folder.size())
        return false;
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, path.c_str(), static_cast<int>(folder.size()),
                          folder.c_str(), static_cast<int>(folder.size())) == CSTR_EQUAL
        && path[folder.size()] == '\\';
}

// Copies this program out of the install directory and hands the removal to the copy.
bool HandOverToCopy(const Options& options)
{
    char temp[MAX_PATH] = {};
    if (!GetTempPathA(sizeof(temp), temp))
        return false;
    std::string copy = std::string(temp) + "OrvantaUninstall-" + std::to_string(GetCurrentProcessId()) + ".exe";
    if (!CopyFileA(ModulePath().c_str(), copy.c_str(), FALSE))
        return false;
    std::string command = "\"" + copy + "\" /R " + std::to_string(GetCurrentProcessId());
    if (options.silent)
        command += " /S";
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(copy.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, temp, &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

void WaitForProcessEnd(DWORD processId)
{
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    if (process) {
        WaitForSingleObject(process, 30000);
        CloseHandle(process);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    Options options = ParseOptions(commandLine);
    InstalledProduct product;
    if (!product.Load()) {
        if (!options.silent)
            MessageBoxA(nullptr, "Orvanta is not installed for this user.", "Orvanta", MB_OK | MB_ICONINFORMATION);
        return 1;
    }

    if (options.removalPhase) {
        WaitForProcessEnd(options.waitForProcess);
    } else {
        if (!options.silent) {
            std::string question = "Remove " + product.Title() + " and all of its components from\r\n"
                + product.InstallPath() + " ?";
            if (MessageBoxA(nullptr, question.c_str(), product.Title().c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES)
                return 0;
        }
        if (StartsWithFolder(ModulePath(), product.InstallPath()) && HandOverToCopy(options))
            return 0;
    }

    bool complete = product.Remove();
    if (!options.silent) {
        std::string done = complete ? product.Title() + " was removed from your computer."
                                    : product.Title() + " was removed, but some items could not be removed:\r\n"
                                        + product.InstallPath();
        MessageBoxA(nullptr, done.c_str(), product.Title().c_str(), MB_OK | (complete ? MB_ICONINFORMATION : MB_ICONWARNING));
    }
    return complete ? 0 : 2;
}
