#include "remover/Remover.h"

#include "framework/CFileFind.h"
#include "framework/CWinThread.h"
#include "framework/SpecialFolder.h"
#include "framework/WideText.h"
#include "remover/InstallRecordKey.h"
#include "remover/LoggedRemoval.h"
#include "remover/RecordedInstallation.h"
#include "remover/RemovalGuard.h"
#include "remover/SetAside.h"

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

// True when a folder on the way to path is a link: the path then no longer names what the
// run created (a folder swapped for a junction after the run would lead the deletion
// somewhere else). Folders found sound are remembered in `sound`.
bool HasLinkAbove(const std::string& path, std::vector<std::wstring>& sound)
{
    std::wstring wide = WideText::FromUtf8(path);
    // The first separator after the drive or the share is the root's; it is no link.
    size_t from = wide.size() > 2 && wide[1] == L':' ? 3 : wide.find(L'\\', wide.find(L'\\', 2) + 1) + 1;
    for (size_t i = from; i < wide.size() && from > 0; ++i) {
        if (wide[i] != L'\\' && wide[i] != L'/')
            continue;
        std::wstring folder = wide.substr(0, i);
        if (std::find(sound.begin(), sound.end(), folder) != sound.end())
            continue;
        DWORD attributes = ::GetFileAttributesW(folder.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return true;
        sound.push_back(folder);
    }
    return false;
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
}

Remover::~Remover()
{
    SetRecordValue(InstallRecordKey::Repair, "0");
    if (worker)
        ::CloseHandle(worker);
}

Remover::Recorded Remover::QueueRecordedInstallation()
{
    if (started)
        return Recorded::None;
    deletesRecord = true;
    RecordedInstallation recorded;
    if (!recorded.Read())
        return Recorded::None;
    InstallLog log;
    if (!log.Load(recorded.directory))
        return Recorded::NoLog;
    recordedDirectory = recorded.directory;
    recordedLog = std::move(log);
    return Recorded::Queued;
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
    remover->RemoveCreatedEntries();
    if (!remover->recordedDirectory.empty()) {
        // An interrupted run there left files it had replaced aside; they are the recorded
        // installation's (or the user's) and go back before the log is applied.
        if (SetAside::Pending(remover->recordedDirectory))
            SetAside::Recover(remover->recordedDirectory);
        LoggedRemoval(remover->recordedDirectory, remover->recordedLog).RemoveAll();
    }
    if (remover->deletesRecord)
        InstallRecordKey::Delete();
    Release(remover);
    return 0;
}

void Remover::RemoveCreatedEntries() const
{
    std::vector<std::string> folders;
    std::vector<std::wstring> sound;
    for (const std::string& path : createdEntries) {
        DWORD attributes = ::GetFileAttributesA(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || HasLinkAbove(path, sound))
            continue;
        // The run gives files the attributes stored in the archive; read-only is one.
        if ((attributes & FILE_ATTRIBUTE_READONLY) && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            ::SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            folders.push_back(path);
        else
            RemoveLink(path, attributes);
    }
    // A folder's path is longer than its parent's, so the longest go first; a folder that
    // still holds something of the user's is refused by RemoveDirectoryA and stays.
    std::stable_sort(folders.begin(), folders.end(),
                     [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    for (const std::string& folder : folders) {
        if (!HasLinkAbove(folder, sound))
            ::RemoveDirectoryA(folder.c_str());
    }
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
