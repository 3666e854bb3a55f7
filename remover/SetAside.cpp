#include "remover/SetAside.h"

#include "framework/ScopedHandle.h"
#include "remover/RemovalGuard.h"

namespace {

bool IsPlainFolder(const std::string& path)
{
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Whatever stands at a place a file is put back to goes first when it is a link or a
// read-only file: the rename replaces neither.
void ClearPlace(const std::string& path)
{
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            ::RemoveDirectoryA(path.c_str());
        else
            ::DeleteFileA(path.c_str());
    } else if (attributes & FILE_ATTRIBUTE_READONLY) {
        ::SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    }
}

} // namespace

SetAside::SetAside(const std::string& directory)
    : directory_(directory), folder_(directory + "\\" + FolderName)
{
}

SetAside::~SetAside()
{
    CloseJournal();
}

// The files go into buckets of kBucketFiles: a reinstallation sets aside every file of the
// product, and a single folder of tens of thousands of entries makes each new name cost a
// scan of the whole folder on file systems that compare names without case (Wine's).
std::string SetAside::Bucket(size_t index) const
{
    return folder_ + "\\" + std::to_string(index / kBucketFiles);
}

std::string SetAside::Stored(size_t index) const
{
    return Bucket(index) + "\\" + std::to_string(index % kBucketFiles);
}

void SetAside::CloseJournal()
{
    if (journal_ != INVALID_HANDLE_VALUE)
        ::CloseHandle(journal_);
    journal_ = INVALID_HANDLE_VALUE;
}

// The folder is made by this run, never taken over: one that exists already belongs to an
// interrupted run and must be recovered first, and one that is a link would send the
// replaced files elsewhere.
bool SetAside::Open()
{
    if (journal_ != INVALID_HANDLE_VALUE)
        return true;
    if (!::CreateDirectoryA(folder_.c_str(), nullptr))
        return false;
    ::SetFileAttributesA(folder_.c_str(), FILE_ATTRIBUTE_HIDDEN);
    journal_ = ::CreateFileA((folder_ + "\\" + JournalName).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                             CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    return journal_ != INVALID_HANDLE_VALUE;
}

bool SetAside::MoveAside(const std::string& relative)
{
    if (!Open())
        return false;
    if (moved_.size() % kBucketFiles == 0 && !::CreateDirectoryA(Bucket(moved_.size()).c_str(), nullptr) &&
        ::GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    std::string line = std::to_string(moved_.size()) + "\t" + relative + "\n";
    DWORD written = 0;
    if (!::WriteFile(journal_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) ||
        written != line.size())
        return false;
    if (!::MoveFileExA((directory_ + "\\" + relative).c_str(), Stored(moved_.size()).c_str(), 0)) {
        // The journal names a number that holds no file; Restore skips such lines.
        moved_.emplace_back();
        return false;
    }
    moved_.push_back(relative);
    return true;
}

bool SetAside::Restore()
{
    CloseJournal();
    bool complete = true;
    for (size_t i = moved_.size(); i-- > 0;) {
        if (moved_[i].empty())
            continue;
        std::string stored = Stored(i);
        if (::GetFileAttributesA(stored.c_str()) == INVALID_FILE_ATTRIBUTES)
            continue;
        std::string place = directory_ + "\\" + moved_[i];
        ClearPlace(place);
        if (!::MoveFileExA(stored.c_str(), place.c_str(), MOVEFILE_REPLACE_EXISTING))
            complete = false;
    }
    if (complete)
        Discard();
    return complete;
}

bool SetAside::Discard()
{
    CloseJournal();
    for (size_t i = 0; i < moved_.size(); ++i) {
        std::string stored = Stored(i);
        ::SetFileAttributesA(stored.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(stored.c_str());
    }
    for (size_t i = 0; i < moved_.size(); i += kBucketFiles)
        ::RemoveDirectoryA(Bucket(i).c_str());
    moved_.clear();
    ::DeleteFileA((folder_ + "\\" + JournalName).c_str());
    return !IsPlainFolder(folder_) || ::RemoveDirectoryA(folder_.c_str());
}

bool SetAside::LoadJournal()
{
    // Read without iostreams, which would more than double every program that links this.
    ScopedHandle file(::CreateFileA((folder_ + "\\" + JournalName).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    std::string text;
    char chunk[4096];
    for (DWORD read = 0; ::ReadFile(file.get(), chunk, sizeof(chunk), &read, nullptr) && read > 0;)
        text.append(chunk, read);
    moved_.clear();
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            break;  // the line being written when the run stopped: its rename never came
        std::string line = text.substr(start, end - start);
        start = end + 1;
        size_t tab = line.find('\t');
        if (tab == std::string::npos || line.substr(0, tab) != std::to_string(moved_.size()))
            return false;
        std::string name = line.substr(tab + 1);
        // A journal could have been planted: a name may only ever lead below the directory.
        moved_.push_back(RemovalGuard::IsNameBelow(name) ? name : std::string());
    }
    return true;
}

bool SetAside::Pending(const std::string& directory)
{
    return ::GetFileAttributesA((directory + "\\" + FolderName).c_str()) != INVALID_FILE_ATTRIBUTES;
}

int SetAside::Recover(const std::string& directory)
{
    SetAside aside(directory);
    if (!IsPlainFolder(aside.folder_) || !aside.LoadJournal())
        return -1;
    int count = 0;
    for (size_t i = 0; i < aside.moved_.size(); ++i) {
        if (!aside.moved_[i].empty() && ::GetFileAttributesA(aside.Stored(i).c_str()) != INVALID_FILE_ATTRIBUTES)
            ++count;
    }
    return aside.Restore() ? count : -1;
}
