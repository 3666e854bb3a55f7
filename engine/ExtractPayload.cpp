// Payload extraction: the held Orva.in checked and decoded into Orva.zip, its items written
// below the install directory in 16 KiB chunks with progress notices.
#include "engine/InstallEngine.h"

#include "engine/ItemPath.h"
#include "engine/PayloadDecoder.h"
#include "engine/ProgressScale.h"
#include "framework/EventLog.h"
#include "framework/FileApi.h"
#include "framework/ScopedHandle.h"

namespace {

const char kArchiveName[] = "Orva.zip";
constexpr uint32_t kChunkBytes = 0x4000;

// Archives from common tools mark folders by a trailing separator alone, without the
// directory attribute (host system FAT, attributes 0); those are folders all the same.
bool IsDirectoryItem(const ZipItemInfo& info)
{
    return (info.attributes & ZipItemInfo::Directory) != 0 || ItemPath::EndsWithSeparator(info.name);
}

// Creates the file, never opening one that is there: an existing file is set aside
// first, and a link of that name is never written through. Returns the error code.
DWORD CreateNew(const std::string& path, ScopedHandle& file)
{
    file.reset(FileApi::Open(path, GENERIC_WRITE, FILE_SHARE_WRITE, CREATE_NEW, FILE_ATTRIBUTE_NORMAL));
    return file ? ERROR_SUCCESS : ::GetLastError();
}

// The names the run keeps for itself in the install directory.
bool IsReservedName(const std::string& relative)
{
    std::string first = relative.substr(0, relative.find('\\'));
    return ItemPath::SameDirectory(first, SetAside::FolderName) || ItemPath::SameDirectory(relative, InstallLog::FileName) ||
           ItemPath::SameDirectory(relative, std::string(InstallLog::FileName) + ".new");
}

} // namespace

// The payload files are named by their full paths in the working folder. The process's
// current directory is left alone: a folder that is some process's current directory
// cannot be deleted on Windows, and the engine deletes this one at exit.
bool InstallEngine::ExtractPayload()
{
    if (!runPrepared)
        PrepareRun();
    if (!runSound)
        return false;
    if (!workFolder.Payload())
        return false;
    // The archive is made new without any sharing and goes when its handle closes; it is
    // read through that same handle, so no other process can write, swap or keep it.
    std::string archivePath = workFolder.Path() + "\\" + kArchiveName;
    ScopedHandle archive(FileApi::Open(archivePath, GENERIC_READ | GENERIC_WRITE | DELETE, 0, CREATE_NEW,
                                       FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE));
    if (!archive || !PayloadDecoder::Decode(workFolder.Payload(), workFolder.Seal(), archive.get()))
        return false;
    ZipHandle zip = ZipReader::OpenHeld(archive.get(), nullptr);
    if (!zip)
        return false;

    ZipItemInfo info;
    ZipReader::GetItem(zip, -1, info);
    // A count taken from a damaged central directory may claim far more items than can be
    // reached; the first item that cannot be described ends every pass over them.
    int32_t count = info.index;
    totalBytes = 0;
    // The file sizes are kept from this one pass over the descriptions: each description
    // costs reads of the central directory and of the item's local header.
    std::vector<uint64_t> fileSizes;
    for (int32_t i = 0; i < count; ++i) {
        if (ZipReader::GetItem(zip, i, info) != ZipOk) {
            count = i + 1;
            break;
        }
        totalBytes += info.uncompressedSize64;
        if (!IsDirectoryItem(info))
            fileSizes.push_back(info.uncompressedSize64);
    }
    // The total notice is the sum of what the file notices will carry, so the overall
    // bar ends exactly full however the sizes were scaled.
    ProgressScale scale(totalBytes);
    int64_t totalUnits = 0;
    for (uint64_t size : fileSizes)
        totalUnits += scale.Units(size);
    Notify(NoticeTotal, 0, int32_t(totalUnits > INT32_MAX ? INT32_MAX : totalUnits), std::string());

    std::string base = ItemPath::Full(installDirectory);
    bool complete = !base.empty() && created.EnsureFolder(base);
    int32_t failed = 0;
    for (int32_t i = 0; i < count && !Cancelled(); ++i) {
        ItemResult result = ExtractItem(zip, i, scale);
        if (result == ItemResult::Cancelled) {
            ZipReader::Close(zip);
            EventLog::Instance().Write("cancelled after " + std::to_string(i) + " of " + std::to_string(count) + " items");
            return false;
        }
        if (result == ItemResult::Failed) {
            complete = false;
            ++failed;
        }
    }
    ZipReader::Close(zip);
    EventLog::Instance().Write("items written: " + std::to_string(count - failed) + " of " + std::to_string(count));
    return complete;
}

InstallEngine::ItemResult InstallEngine::ExtractItem(ZipHandle zip, int32_t index, const ProgressScale& scale)
{
    ZipItemInfo info;
    if (ZipReader::GetItem(zip, index, info) != ZipOk)
        return ItemResult::Failed;
    std::string name = info.name;
    std::string target;
    bool safe = !info.nameDamaged && ItemPath::Resolve(installDirectory, name, target) &&
                IsSoundFolderChain(target);
    if (IsDirectoryItem(info)) {
        if (!info.nameDamaged && ItemPath::IsSameFolder(name))
            return ItemResult::Written;
        return safe && created.EnsureFolder(target) ? ItemResult::Written : ItemResult::Failed;
    }
    return ExtractFile(zip, index, info.uncompressedSize64, installDirectory + "\\" + name,
                       safe ? target : std::string(), scale);
}

// A file that cannot be written (refused name, folder or file not creatable, a failed
// write or close) is still read to its end with all its notices, so the progress stays right,
// and counts as failed. A failed read ends the file after the bytes it delivered.
InstallEngine::ItemResult InstallEngine::ExtractFile(ZipHandle zip, int32_t index, uint64_t size,
                                                     const std::string& name, const std::string& target,
                                                     const ProgressScale& scale)
{
    bool ok = !target.empty();
    ScopedHandle file;
    if (ok) {
        std::string base = ItemPath::Full(installDirectory);
        std::string relative = target.substr(base.size() + (ItemPath::EndsWithSeparator(base) ? 0 : 1));
        ok = !IsReservedName(relative) && CreateTarget(target, relative, file);
    }
    Notify(NoticeFileBegin, 0, scale.Units(size), name);

    char buffer[kChunkBytes];
    uint64_t written = 0;
    while (!Cancelled()) {
        ZipReadReport read;
        ZipStatus status = ZipReader::ReadItem(zip, index, buffer, kChunkBytes, &read);
        if ((status != ZipOk && status != ZipMore) || read.checksumFailed)
            ok = false;
        if (file && read.delivered > 0) {
            DWORD put = 0;
            if (!::WriteFile(file.get(), buffer, read.delivered, &put, nullptr) || put != read.delivered) {
                ok = false;
                file.reset();
            }
        }
        Notify(NoticeChunk, scale.ChunkUnits(written, written + read.delivered), 0, name);
        written += read.delivered;
        if (status != ZipMore)
            break;
    }
    // A write-behind error (a network share, a quota) shows only when the file is closed.
    if (file && !::CloseHandle(file.release()))
        ok = false;
    if (Cancelled())
        return ItemResult::Cancelled;
    Notify(NoticeFileEnd, 0, 0, name);
    if (!ok || written != size)
        EventLog::Instance().Write("failed: " + name);
    return ok && written == size ? ItemResult::Written : ItemResult::Failed;
}

// The folder of nearly every file exists by now, and asking for it would cost a
// file-system query per file: the file is created first, and its missing folders only
// when that fails (a failed create leaves nothing behind). A file that is there already
// is set aside by rename and the new one created in its place; a link, a folder or a file
// that cannot be moved (a locked one) fails the item, untouched.
bool InstallEngine::CreateTarget(const std::string& target, const std::string& relative, ScopedHandle& file)
{
    DWORD error = CreateNew(target, file);
    if (!file && error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS &&
        created.EnsureFolder(ItemPath::Parent(target)))
        error = CreateNew(target, file);
    if (file) {
        created.Add(target);
        created.AddWritten(relative);
        return true;
    }
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
        return false;
    DWORD attributes = FileApi::Attributes(target);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
        return false;
    while (!setAside || !setAside->MoveAside(relative)) {
        DWORD held = HeldBy(target);
        EventLog::Instance().Failure("cannot replace " + target, held ? held : ::GetLastError());
        if (!held || !setAside || Notify(NoticeFileInUse, 0, 0, target) != IDRETRY)
            return false;
        EventLog::Instance().Write("trying again: " + target);
    }
    error = CreateNew(target, file);
    if (error != ERROR_SUCCESS) {
        EventLog::Instance().Failure("cannot create " + target, error);
        return false;
    }
    created.AddWritten(relative);
    return true;
}

// Whether another process holds the file so that it cannot be moved: the error that says
// so (a sharing or lock violation), or 0 when nothing holds it that way.
DWORD InstallEngine::HeldBy(const std::string& path)
{
    ScopedHandle probe(FileApi::Open(path, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT));
    if (probe)
        return 0;
    DWORD error = ::GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ? error : 0;
}

// Every folder between the install directory and the item is looked at once: one that is
// a link (a junction that some other process put there) would lead the write outside the
// install directory. Folders that do not exist yet are made by the run itself.
bool InstallEngine::IsSoundFolderChain(const std::string& target)
{
    std::string base = ItemPath::Full(installDirectory);
    std::vector<std::string> chain;
    for (std::string folder = ItemPath::Parent(target); folder.size() > base.size(); folder = ItemPath::Parent(folder))
        chain.push_back(folder);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (soundFolders.count(*it))
            continue;
        DWORD attributes = FileApi::Attributes(*it);
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return true;
        if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return false;
        soundFolders.insert(*it);
    }
    return true;
}
