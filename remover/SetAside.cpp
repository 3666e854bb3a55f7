#include "remover/SetAside.h"

#include "framework/FileApi.h"
#include "framework/HandleIo.h"
#include "framework/WholeFile.h"
#include "framework/WideText.h"
#include "remover/RemovalGuard.h"

namespace {

// The first line of a journal whose names are UTF-8. Journals of earlier setups have no
// such line and hold names in the machine's ANSI code page.
const char kUtf8Header[] = "Orvanta set-aside journal 2";

bool IsPlainFolder(const std::string& path)
{
    DWORD attributes = FileApi::Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Whatever stands at a place a file is put back to goes first when it is a link or a
// read-only file: the rename replaces neither.
void ClearPlace(const std::string& path)
{
    DWORD attributes = FileApi::Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            FileApi::RemoveFolder(path);
        else
            FileApi::RemoveFile(path);
    } else if (attributes & FILE_ATTRIBUTE_READONLY) {
        FileApi::SetAttributes(path, attributes & ~FILE_ATTRIBUTE_READONLY);
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
    if (!FileApi::MakeFolder(folder_))
        return false;
    FileApi::SetAttributes(folder_, FILE_ATTRIBUTE_HIDDEN);
    journal_ = FileApi::Open(folder_ + "\\" + JournalName, FILE_APPEND_DATA, FILE_SHARE_READ, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL);
    const std::string header = std::string(kUtf8Header) + "\n";
    if (journal_ != INVALID_HANDLE_VALUE && !HandleIo::WriteAll(journal_, header.data(), header.size()))
        CloseJournal();
    return journal_ != INVALID_HANDLE_VALUE;
}

bool SetAside::MoveAside(const std::string& relative)
{
    if (!Open())
        return false;
    if (moved_.size() % kBucketFiles == 0 && !FileApi::MakeFolder(Bucket(moved_.size())) &&
        ::GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    std::string line = std::to_string(moved_.size()) + "\t" + relative + "\n";
    if (!HandleIo::WriteAll(journal_, line.data(), line.size()))
        return false;
    if (!FileApi::Move(directory_ + "\\" + relative, Stored(moved_.size()), 0)) {
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
        if (FileApi::Attributes(stored) == INVALID_FILE_ATTRIBUTES)
            continue;
        std::string place = directory_ + "\\" + moved_[i];
        ClearPlace(place);
        if (!FileApi::Move(stored, place, MOVEFILE_REPLACE_EXISTING))
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
        FileApi::SetAttributes(stored, FILE_ATTRIBUTE_NORMAL);
        FileApi::RemoveFile(stored);
    }
    for (size_t i = 0; i < moved_.size(); i += kBucketFiles)
        FileApi::RemoveFolder(Bucket(i));
    moved_.clear();
    FileApi::RemoveFile(folder_ + "\\" + JournalName);
    return !IsPlainFolder(folder_) || FileApi::RemoveFolder(folder_);
}

bool SetAside::LoadJournal()
{
    // One line per file a run replaced; far more than any product holds is no journal.
    constexpr size_t kMaxBytes = 256u << 20;
    std::string text;
    if (!WholeFile::Read(folder_ + "\\" + JournalName, text, kMaxBytes))
        return false;
    moved_.clear();
    size_t start = 0;
    const std::string header = std::string(kUtf8Header) + "\n";
    const bool utf8 = text.compare(0, header.size(), header) == 0;
    if (utf8)
        start = header.size();
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            break;  // the line being written when the run stopped: its rename never came
        std::string line = text.substr(start, end - start);
        start = end + 1;
        size_t tab = line.find('\t');
        if (tab == std::string::npos || line.substr(0, tab) != std::to_string(moved_.size()))
            return false;
        std::string name = line.substr(tab + 1);
        if (!utf8)
            name = WideText::Utf8FromCodePage(name, 0);
        else if (!WideText::IsUtf8(name))
            name.clear();
        // A journal could have been planted: a name may only ever lead below the directory.
        moved_.push_back(RemovalGuard::IsNameBelow(name) ? name : std::string());
    }
    return true;
}

bool SetAside::Pending(const std::string& directory)
{
    return FileApi::Attributes(directory + "\\" + FolderName) != INVALID_FILE_ATTRIBUTES;
}

int SetAside::Recover(const std::string& directory)
{
    SetAside aside(directory);
    if (!IsPlainFolder(aside.folder_) || !aside.LoadJournal())
        return -1;
    int count = 0;
    for (size_t i = 0; i < aside.moved_.size(); ++i) {
        if (!aside.moved_[i].empty() && FileApi::Attributes(aside.Stored(i)) != INVALID_FILE_ATTRIBUTES)
            ++count;
    }
    return aside.Restore() ? count : -1;
}
