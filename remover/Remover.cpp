#include "remover/Remover.h"

#include "framework/CFileFind.h"
#include "framework/CWinThread.h"
#include "framework/SpecialFolder.h"
#include "remover/InstallRecordKey.h"
#include "remover/RemovalGuard.h"

#include <shlobj.h>

#include <algorithm>
#include <cstring>

namespace {

bool RemoveLink(const std::string& path, DWORD attributes)
{
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return ::RemoveDirectoryA(path.c_str()) != FALSE;
    return ::DeleteFileA(path.c_str()) != FALSE;
}

} // namespace

Remover* Remover::instance = nullptr;

Remover* Remover::Instance()
{
    if (!instance)
        instance = new Remover();
    return instance;
}

// The wait is bounded at kWorkerWaitMs (a minute): removing one installation from a local
// disk takes seconds, so a worker still busy after a minute hangs on an unreachable share
// or a stuck device, and the setup, whose windows are gone by then, must not linger
// unseen for it. The instance is then left to the worker, which deletes it at its end;
// a process that ends first leaves "Repair" at "1", so the next start repairs.
void Remover::DestroyInstance(DWORD maxWaitMs)
{
    Remover* remover = instance;
    instance = nullptr;
    if (!remover)
        return;
    if (!remover->started || (remover->worker && ::WaitForSingleObject(remover->worker, maxWaitMs) == WAIT_OBJECT_0)) {
        delete remover;
        return;
    }
    Release(remover);
}

void Remover::Release(Remover* remover)
{
    if (remover->handedOver.exchange(true))
        delete remover;
}

Remover::Remover()
{
    SetRecordValue(InstallRecordKey::Repair, "1");
    std::string directory = GetRecordValue(InstallRecordKey::InstallPath);
    if (!directory.empty())
        AddDirectory(directory);
    // A path that cannot be resolved, or a group name that climbs out of the Programs
    // folder, would name some unrelated folder; such an entry is not queued at all.
    std::string group = GetRecordValue(InstallRecordKey::ProgramGroup);
    std::string programs = SpecialFolder::Path(CSIDL_COMMON_PROGRAMS);
    if (!group.empty() && !programs.empty() && RemovalGuard::IsNameBelow(group))
        AddDirectory(programs + "\\" + group);
    std::string link = GetRecordValue(InstallRecordKey::DesktopName);
    std::string desktop = SpecialFolder::Path(CSIDL_DESKTOP);
    if (!desktop.empty() && (link.empty() || RemovalGuard::IsNameBelow(link)))
        AddFile(desktop + "\\" + link + ".lnk");
}

Remover::~Remover()
{
    SetRecordValue(InstallRecordKey::Repair, "0");
    if (worker)
        ::CloseHandle(worker);
}

bool Remover::AddDirectory(const std::string& path)
{
    if (started)
        return false;
    directories.push_back(path);
    return true;
}

bool Remover::AddFile(const std::string& path)
{
    if (started)
        return false;
    files.push_back(path);
    return true;
}

bool Remover::AddCreatedEntries(const std::vector<std::string>& paths)
{
    if (started)
        return false;
    for (const std::string& path : paths) {
        if (RemovalGuard::IsAbsolute(path))
            createdEntries.push_back(path);
    }
    return true;
}

bool Remover::KeepRecordedInstallation()
{
    if (started)
        return false;
    directories.clear();
    files.clear();
    deletesRecord = false;
    return true;
}

bool Remover::Start()
{
    if (started)
        return false;
    // Started suspended: the handle must be duplicated before the thread can end and its
    // self-deleting thread object closes the original.
    CWinThread* thread = ::AfxBeginThread(&Remover::WorkerMain, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (!thread)
        return false;
    started = true;
    HANDLE process = ::GetCurrentProcess();
    if (!::DuplicateHandle(process, thread->m_hThread, process, &worker, SYNCHRONIZE, FALSE, 0))
        worker = nullptr;  // DestroyInstance then hands the instance to the worker at once
    thread->ResumeThread();
    return true;
}

UINT Remover::WorkerMain(LPVOID param)
{
    Remover* remover = static_cast<Remover*>(param);
    for (const std::string& directory : remover->directories)
        RemoveTree(directory);
    remover->RemoveCreatedEntries();
    for (const std::string& file : remover->files)
        RemoveFile(file);
    if (remover->deletesRecord)
        InstallRecordKey::Delete();
    Release(remover);
    return 0;
}

void Remover::RemoveCreatedEntries() const
{
    std::vector<std::string> folders;
    for (const std::string& path : createdEntries) {
        DWORD attributes = ::GetFileAttributesA(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            continue;
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            folders.push_back(path);
        else
            ::DeleteFileA(path.c_str());
    }
    // A folder's path is longer than its parent's, so the longest go first; a folder that
    // still holds something of the user's is refused by RemoveDirectoryA and stays.
    std::stable_sort(folders.begin(), folders.end(),
                     [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    for (const std::string& folder : folders)
        ::RemoveDirectoryA(folder.c_str());
}

bool Remover::RemoveTree(const std::string& path)
{
    if (RemovalGuard::RefusesTree(path))
        return false;
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return RemoveLink(path, attributes);
    RemoveTreeBelow(path);
    return ::RemoveDirectoryA(path.c_str()) != FALSE;
}

void Remover::RemoveTreeBelow(const std::string& path)
{
    std::string pattern = path + "\\*.*";
    if (pattern.size() > MAX_PATH - 1)
        return;
    CFileFind finder;
    BOOL more = finder.FindFile(pattern.c_str());
    while (more) {
        more = finder.FindNextFile();
        if (finder.IsDots())
            continue;
        std::string entry = path + "\\" + finder.GetFileName();
        if (entry.size() > MAX_PATH - 1)
            continue;
        DWORD attributes = finder.GetAttributes();
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            RemoveLink(entry, attributes);
        } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveTreeBelow(entry);
            ::RemoveDirectoryA(entry.c_str());
        } else {
            ::DeleteFileA(entry.c_str());
        }
    }
    finder.Close();
}

bool Remover::RemoveFile(const std::string& path)
{
    return ::DeleteFileA(path.c_str()) != FALSE;
}

std::string Remover::GetRecordValue(const std::string& name)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, InstallRecordKey::Path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::string();
    char buffer[80];
    DWORD size = sizeof(buffer);
    LONG status = ::RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return std::string();
    size = std::min<DWORD>(size, sizeof(buffer));
    return std::string(buffer, ::strnlen(buffer, size));
}

bool Remover::SetRecordValue(const std::string& name, const std::string& text)
{
    HKEY key = nullptr;
    if (::RegOpenKeyA(HKEY_CURRENT_USER, InstallRecordKey::Path, &key) != ERROR_SUCCESS)
        return false;
    LONG status = ::RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                   static_cast<DWORD>(text.size() + 1));
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS;
}
