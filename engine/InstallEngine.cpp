#include "engine/InstallEngine.h"

#include <shlobj.h>

#include "container/PayloadContainer.h"
#include "framework/AdminOnlySecurity.h"
#include "framework/CFileFind.h"
#include "framework/DesktopShell.h"
#include "framework/SpecialFolder.h"
#include "i18n/LanguageTable.h"
#include "remover/Remover.h"

InstallEngine::InstallEngine(const std::string& containerPath)
{
    comInitialized = SUCCEEDED(::CoInitialize(nullptr));
    LanguageTable* table = LanguageTable::Instance();
    InstallSettings settings;
    table->ReadInstallSettings(settings);
    installDirectory = settings.installpath + settings.installname;

    programsFolder = SpecialFolder::PathWithBackslash(CSIDL_COMMON_PROGRAMS);
    desktopFolder = SpecialFolder::PathWithBackslash(CSIDL_DESKTOP);
    CFileFind finder;
    BOOL more = finder.FindFile((programsFolder + "\\*.*").c_str());
    while (more) {
        more = finder.FindNextFile();
        if (!finder.IsDots() && finder.IsDirectory())
            programGroups.push_back(finder.GetFileName());
    }
    finder.Close();

    std::string workFolder = LanguageTable::GetWorkFolder();
    PayloadContainer container(containerPath.empty() ? GetSetupPath() : containerPath);
    ContainerEntryList entries;
    containerUnpacked = container.ReadIndex(entries) && container.ExtractAll(entries, workFolder);
    unpacked = container.Written();
    table->SetFile(workFolder + "\\install\\lang.ini");
}

// The worker holds a plain pointer to this engine, so it is waited for without a bound:
// freeing the engine under it is never an option. It is not cancelled either: the wizard
// is gone by now, and a worker that was not cancelled finishes an installation the user
// confirmed rather than leaving half of one; a cancelled one stops at its next chunk.
InstallEngine::~InstallEngine()
{
    WaitForWorker(INFINITE);
    if (worker)
        ::CloseHandle(worker);
    if (!unpackedDiscarded) {
        // An exit after the wizard leaves the record's "Repair" at "0": the remover's
        // making and its destruction below write it.
        Remover::Instance();
        RemoveUnpacked();
    }
    Remover::DestroyInstance();
    if (comInitialized)
        ::CoUninitialize();
}

void InstallEngine::DiscardUnpacked()
{
    RemoveUnpacked();
    unpackedDiscarded = true;
}

// The install folder is shared by every setup the user runs and may hold files that are
// not this run's; only the entries this run made go, the archive the worker decoded beside
// them included, and a folder only once nothing else is left in it.
void InstallEngine::RemoveUnpacked() const
{
    std::string workFolder = LanguageTable::GetWorkFolder();
    if (workerStarted && !workFolder.empty())
        ::DeleteFileA((workFolder + "install\\Orva.zip").c_str());
    for (auto entry = unpacked.rbegin(); entry != unpacked.rend(); ++entry) {
        DWORD attributes = ::GetFileAttributesA(entry->c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            ::RemoveDirectoryA(entry->c_str());
        else
            ::DeleteFileA(entry->c_str());
    }
}

bool InstallEngine::InstallDirectoryExists() const
{
    CFileFind finder;
    return finder.FindFile(installDirectory.c_str()) != FALSE;
}

std::string InstallEngine::ReadRecordValue(const std::string& name) const
{
    return Remover::GetRecordValue(name);
}

// An elevated setup has the desktop's shell start the product, so that it runs as the user
// who started the setup: elevated, it would take no drops from Explorer and the files it
// creates would belong to the administrators. Where the shell cannot, or the setup is not
// elevated, it starts the program itself. The command line is quoted: unquoted, a path
// with spaces ("C:\Program Files\Orvanta 4.00\...") would first be tried as
// "C:\Program.exe" and then as every other prefix that ends at a space, so whatever
// program lies there would start instead of ours.
void InstallEngine::LaunchProgram() const
{
    std::string program = installDirectory + "\\terminal.exe";
    if (AdminOnlySecurity::ProcessIsAdministrator() && DesktopShell::Open(program, installDirectory))
        return;
    std::string commandLine = "\"" + program + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started{};
    if (::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, installDirectory.c_str(),
                         &startup, &started)) {
        ::CloseHandle(started.hThread);
        ::CloseHandle(started.hProcess);
    }
}

std::string InstallEngine::GetSetupPath()
{
    char path[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(path, length) : std::string();
}
