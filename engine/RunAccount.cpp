// The run's accounting: what stood in its places before, what it replaced, and the install
// log that lets a later rollback or the uninstaller remove exactly what it put there.
#include "engine/InstallEngine.h"

#include "engine/ItemPath.h"
#include "framework/FileApi.h"
#include "framework/RegKey.h"
#include "framework/ScopedHandle.h"
#include "remover/FolderPath.h"
#include "remover/InstallRecordKey.h"
#include "remover/RemovalGuard.h"
#include "remover/UninstallEntry.h"

namespace {

// Only "file not found" and "path not found" say that nothing is there. Any other failure
// to look (access denied, an offline share, a path too long for the call) may hide a
// folder full of the user's files, and such a folder is taken as there.
bool IsAbsent(const std::string& path)
{
    if (FileApi::Attributes(path) != INVALID_FILE_ATTRIBUTES)
        return false;
    DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool IsFolder(const std::string& path)
{
    DWORD attributes = FileApi::Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Whatever stands at path goes when it is a link (deleted as a link, never followed); a
// plain file or folder stays. True when nothing but a plain file is left there, if anything.
bool DropLink(const std::string& path)
{
    DWORD attributes = FileApi::Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? FileApi::RemoveFolder(path)
                                                       : FileApi::RemoveFile(path);
    }
    return !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

// The install directory the user chose may itself be a link, or lie below one: it is
// resolved once, here, and the run writes to its final place, which the removal guard
// checks (a junction into the Windows folder is the Windows folder). The typed spelling is
// kept when no link is on the way.
void InstallEngine::PrepareRun()
{
    runPrepared = true;
    installDirectory = FinalInstallDirectory();
    std::string base = ItemPath::Full(installDirectory);
    runSound = !base.empty() && !InstallDirectoryRefused();

    directoryExisted = !IsAbsent(installDirectory);
    groupExisted = !programGroup.empty() && !IsAbsent(programsFolder + programGroup);
    earlierLogLoaded = runSound && earlierLog.Load(base);
    earlierRecord.clear();
    earlierEntries[0].Take(HKEY_LOCAL_MACHINE, UninstallEntry::Path, UninstallEntry::MachineView);
    earlierEntries[1].Take(HKEY_CURRENT_USER, UninstallEntry::Path, 0);
    RegKey record;
    if (record.Open(HKEY_CURRENT_USER, InstallRecordKey::Path)) {
        for (const char* name : InstallRecordKey::Written) {
            std::string value;
            if (record.QueryString(name, value))
                earlierRecord.emplace_back(name, value);
        }
    }
    if (!runSound)
        return;
    // Files an earlier run set aside and never put back (it crashed) are restored before
    // this run sets aside anything of its own.
    if (SetAside::Pending(base)) {
        recoveredFiles = SetAside::Recover(base);
        runSound = recoveredFiles >= 0;
    }
    setAside = std::make_unique<SetAside>(base);
}

std::string InstallEngine::FinalInstallDirectory() const
{
    std::string full = ItemPath::Full(installDirectory);
    std::string final = full.empty() ? std::string() : FolderPath::Final(full);
    return !final.empty() && !ItemPath::SameDirectory(final, full) ? final : installDirectory;
}

bool InstallEngine::InstallDirectoryRefused() const
{
    std::string base = ItemPath::Full(FinalInstallDirectory());
    return base.empty() || !RemovalGuard::IsAbsolute(base) || RemovalGuard::Refuses(base);
}

int InstallEngine::RecoverInterruptedRun()
{
    std::string base = ItemPath::Full(installDirectory);
    if (base.empty() || !SetAside::Pending(base) || RemovalGuard::Refuses(base))
        return 0;
    return SetAside::Recover(base);
}

// The log is written beside the product and then renamed into place, so a log is always
// whole; the earlier log it replaces is set aside like any replaced file, and a rollback
// puts it back.
bool InstallEngine::WriteInstallLog(const std::vector<std::pair<std::string, std::string>>& record)
{
    std::string base = ItemPath::Full(installDirectory);
    if (base.empty() || !setAside)
        return false;
    std::string prefix = base + "\\";
    InstallLog log;
    log.directory = base;
    log.directoryExisted = directoryExisted;
    for (const std::string& path : created.Snapshot()) {
        if (FolderPath::IsInside(base, path))
            log.parents.push_back(path);
        else if (path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0 && IsFolder(path))
            log.folders.push_back(path.substr(prefix.size()));
    }
    log.files = created.Written();
    log.group = programGroup.empty() ? std::string() : programsFolder + programGroup;
    log.groupExisted = groupExisted;
    for (const CreatedEntries::Shortcut& shortcut : created.Shortcuts())
        log.shortcuts.push_back(shortcut.path);
    log.record = record;
    if (earlierLogLoaded)
        log.Inherit(earlierLog);

    std::string logPath = InstallLog::PathIn(base), fresh = logPath + ".new";
    if (!DropLink(fresh) || (!IsAbsent(fresh) && !FileApi::RemoveFile(fresh)))
        return false;
    std::string text = log.Serialize();
    {
        ScopedHandle file(FileApi::Open(fresh, GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL));
        DWORD written = 0;
        bool ok = file && ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                  written == text.size() && ::FlushFileBuffers(file.get());
        if (!file || !::CloseHandle(file.release()) || !ok) {
            FileApi::RemoveFile(fresh);
            return false;
        }
    }
    bool replacing = !IsAbsent(logPath);
    if (replacing && (!DropLink(logPath) || (!IsAbsent(logPath) && !setAside->MoveAside(InstallLog::FileName)))) {
        FileApi::RemoveFile(fresh);
        return false;
    }
    if (!replacing || IsAbsent(logPath))
        created.Add(logPath);
    if (!FileApi::Move(fresh, logPath, MOVEFILE_WRITE_THROUGH)) {
        FileApi::RemoveFile(fresh);
        return false;
    }
    return true;
}

// The values are written as they were read, into a key made anew; a key that keeps
// subkeys survives the deletion and takes them back.
void InstallEngine::RestoreEarlierRecord() const
{
    InstallRecordKey::Delete();
    if (earlierRecord.empty())
        return;
    RegKey key;
    if (!key.Create(HKEY_CURRENT_USER, InstallRecordKey::Path, REG_OPTION_VOLATILE, KEY_ALL_ACCESS))
        return;
    for (const auto& value : earlierRecord)
        key.SetString(value.first.c_str(), value.second);
}

void InstallEngine::RestoreShortcut(const std::string& path, const std::string& bytes)
{
    if (!DropLink(path))
        return;
    ScopedHandle file(FileApi::Open(path, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL));
    DWORD written = 0;
    if (file)
        ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}
