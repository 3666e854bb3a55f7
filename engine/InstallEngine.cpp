#include "engine/InstallEngine.h"

#include <shlobj.h>

#include "framework/AdminOnlySecurity.h"
#include "framework/CFileFind.h"
#include "framework/DesktopShell.h"
#include "framework/FileApi.h"
#include "framework/SpecialFolder.h"
#include "framework/WideText.h"
#include "i18n/LanguageTable.h"
#include "remover/Remover.h"

namespace {

// A bare name, which the profile reader looks for in the Windows folder, where only
// administrators write: the table of a setup without its own lang.ini reads no other.
const char kNoLanguageFile[] = "orvanta-no-lang.ini";

} // namespace

InstallEngine::InstallEngine(const std::string& containerPath)
{
    comInitialized = SUCCEEDED(::CoInitialize(nullptr));
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

    containerUnpacked = workFolder.Unpack(containerPath.empty() ? GetSetupPath() : containerPath,
                                          LanguageTable::GetWorkFolder());
    // Texts, settings and the language come from the lang.ini unpacked and held here alone;
    // the table's first file lies beside the setup, where any process may have put one.
    LanguageTable* table = LanguageTable::Instance();
    std::string languageFile = workFolder.FilePath("lang.ini");
    table->SetFile(languageFile.empty() ? kNoLanguageFile : languageFile);
    table->SetCurrentLanguage(table->GetPreferredLanguage());
    InstallSettings settings;
    table->ReadInstallSettings(settings);
    installDirectory = settings.installpath + settings.installname;
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
        workFolder.Remove();
    }
    Remover::DestroyInstance();
    if (comInitialized)
        ::CoUninitialize();
}

void InstallEngine::DiscardUnpacked()
{
    workFolder.Remove();
    unpackedDiscarded = true;
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
    std::wstring commandLine = WideText::FromUtf8("\"" + program + "\"");
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started{};
    if (::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                         WideText::FromUtf8(installDirectory).c_str(), &startup, &started)) {
        ::CloseHandle(started.hThread);
        ::CloseHandle(started.hProcess);
    }
}

std::string InstallEngine::GetSetupPath()
{
    return FileApi::ModulePath();
}
