// Payload extraction: Orva.in decoded into Orva.zip, its items written below the install
// directory in 16 KiB chunks with progress notices.
#include "engine/InstallEngine.h"

#include "engine/ItemPath.h"
#include "engine/PayloadDecoder.h"
#include "engine/ProgressScale.h"
#include "framework/ScopedHandle.h"
#include "i18n/LanguageTable.h"

namespace {

const char kPayloadName[] = "Orva.in";
const char kArchiveName[] = "Orva.zip";
constexpr uint32_t kChunkBytes = 0x4000;

// Archives from common tools mark folders by a trailing separator alone, without the
// directory attribute (host system FAT, attributes 0); those are folders all the same.
bool IsDirectoryItem(const ZipItemInfo& info)
{
    return (info.attributes & ZipItemInfo::Directory) != 0 || ItemPath::EndsWithSeparator(info.name);
}

// Creates (or empties) the file; returns the error code the creation left.
DWORD CreateTarget(const std::string& path, ScopedHandle& file)
{
    file.reset(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    return ::GetLastError();
}

} // namespace

// The payload files are named by their full paths in the working folder. The process's
// current directory is left alone: a folder that is some process's current directory
// cannot be deleted on Windows, and the engine deletes this one at exit.
bool InstallEngine::ExtractPayload()
{
    std::string folder = LanguageTable::GetWorkFolder() + "install\\";
    std::string archive = folder + kArchiveName;
    if (!PayloadDecoder::Decode(folder + kPayloadName, archive))
        return false;
    ZipHandle zip = ZipReader::OpenFile(archive.c_str(), nullptr);
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
    for (int32_t i = 0; i < count && !Cancelled(); ++i) {
        ItemResult result = ExtractItem(zip, i, scale);
        if (result == ItemResult::Cancelled) {
            ZipReader::Close(zip);
            return false;
        }
        if (result == ItemResult::Failed)
            complete = false;
    }
    ZipReader::Close(zip);
    return complete;
}

InstallEngine::ItemResult InstallEngine::ExtractItem(ZipHandle zip, int32_t index, const ProgressScale& scale)
{
    ZipItemInfo info;
    if (ZipReader::GetItem(zip, index, info) != ZipOk)
        return ItemResult::Failed;
    std::string name = info.name;
    std::string target;
    bool safe = !info.nameUnconvertible && ItemPath::Resolve(installDirectory, name, target);
    if (IsDirectoryItem(info)) {
        if (!info.nameUnconvertible && ItemPath::IsSameFolder(name))
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
        // The folder of nearly every file exists by now, and asking for it would cost a
        // file-system query per file: the file is created first, and its missing folders
        // only when that fails (a failed create leaves nothing behind).
        DWORD error = CreateTarget(target, file);
        if (!file && created.EnsureFolder(ItemPath::Parent(target)))
            error = CreateTarget(target, file);
        if (!file)
            ok = false;
        else if (error != ERROR_ALREADY_EXISTS)
            created.Add(target);
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
    return ok && written == size ? ItemResult::Written : ItemResult::Failed;
}
