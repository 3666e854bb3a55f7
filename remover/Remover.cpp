#include "remover/Remover.h"

#include "framework/EventLog.h"
#include "remover/UninstallEntry.h"

#include "framework/CFileFind.h"
#include "framework/CWinThread.h"
#include "framework/FileApi.h"
#include "framework/RegKey.h"
#include "framework/SpecialFolder.h"
#include "framework/WideText.h"
#include "remover/InstallRecordKey.h"
#include "remover/LoggedRemoval.h"
#include "remover/RecordedInstallation.h"
#include "remover/RemovalGuard.h"
#include "remover/SetAside.h"

#include <shlobj.h>

#include <algorithm>

namespace {

bool RemoveLink(const std::string& path, DWORD attributes)
{
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return FileApi::RemoveFolder(path);
    return FileApi::RemoveFile(path);
}

// The limit the plain (not "\\?\") form of a path keeps to, in UTF-16 units as the
// system counts it.
bool FitsPathLimit(const std::string& path)
{
    return WideText::FromUtf8(path).size() <= MAX_PATH - 1;
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
        // The earlier installation goes, and with it its line in the list of programs.
        UninstallEntry::RemoveFor(remover->recordedDirectory);
        EventLog::Instance().Write("removed the recorded installation in " + remover->recordedDirectory);
    }
    if (remover->deletesRecord)
        InstallRecordKey::Delete();
    EventLog::Instance().Write("rollback ended");
    Release(remover);
    return 0;
}

void Remover::RemoveCreatedEntries() const
{
    std::vector<std::string> folders;
    std::vector<std::wstring> sound;
    for (const std::string& path : createdEntries) {
        DWORD attributes = FileApi::Attributes(path);
        if (attributes == INVALID_FILE_ATTRIBUTES || HasLinkAbove(path, sound))
            continue;
        // The run gives files the attributes stored in the archive; read-only is one.
        if ((attributes & FILE_ATTRIBUTE_READONLY) && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            FileApi::SetAttributes(path, attributes & ~FILE_ATTRIBUTE_READONLY);
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            folders.push_back(path);
        else if (RemoveLink(path, attributes))
            EventLog::Instance().Write("rollback removed: " + path);
        else
            EventLog::Instance().Failure("rollback cannot remove " + path, ::GetLastError());
    }
    // A folder's path is longer than its parent's, so the longest go first; a folder that
    // still holds something of the user's is refused by RemoveDirectory and stays.
    std::stable_sort(folders.begin(), folders.end(),
                     [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    for (const std::string& folder : folders) {
        if (!HasLinkAbove(folder, sound) && FileApi::RemoveFolder(folder))
            EventLog::Instance().Write("rollback removed folder: " + folder);
    }
}

bool Remover::RemoveTree(const std::string& path)
{
    if (RemovalGuard::RefusesTree(path))
        return false;
    DWORD attributes = FileApi::Attributes(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return RemoveLink(path, attributes);
    RemoveTreeBelow(path);
    return FileApi::RemoveFolder(path);
}

void Remover::RemoveTreeBelow(const std::string& path)
{
    std::string pattern = path + "\\*.*";
    if (!FitsPathLimit(pattern))
        return;
    CFileFind finder;
    BOOL more = finder.FindFile(pattern.c_str());
    while (more) {
        more = finder.FindNextFile();
        if (finder.IsDots())
            continue;
        std::string entry = path + "\\" + finder.GetFileName();
        if (!FitsPathLimit(entry))
            continue;
        DWORD attributes = finder.GetAttributes();
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            RemoveLink(entry, attributes);
        } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveTreeBelow(entry);
            FileApi::RemoveFolder(entry);
        } else {
            FileApi::RemoveFile(entry);
        }
    }
    finder.Close();
}

bool Remover::RemoveFile(const std::string& path)
{
    return FileApi::RemoveFile(path);
}

std::string Remover::GetRecordValue(const std::string& name)
{
    RegKey key;
    DWORD characters = 0;
    std::string text;
    if (!key.Open(HKEY_CURRENT_USER, InstallRecordKey::Path) || !key.QueryCharacters(name.c_str(), characters) ||
        characters > kRecordValueRoom || !key.QueryString(name.c_str(), text))
        return std::string();
    // A value stored without its NUL may fill the room with text.
    return WideText::FromUtf8(text).size() < kRecordValueRoom ? text : std::string();
}

bool Remover::SetRecordValue(const std::string& name, const std::string& text)
{
    RegKey key;
    return key.Open(HKEY_CURRENT_USER, InstallRecordKey::Path, KEY_SET_VALUE) && key.SetString(name.c_str(), text);
}
