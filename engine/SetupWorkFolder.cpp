#include "engine/SetupWorkFolder.h"

#include <memory>
#include <new>

#include <zlib.h>

#include "container/ContainerFileSystem.h"
#include "container/PayloadContainer.h"
#include "container/SetupLayout.h"
#include "framework/AdminOnlySecurity.h"
#include "framework/FileApi.h"
#include "framework/GuidName.h"
#include "framework/HandleIo.h"
#include "framework/WideText.h"

namespace {

// A name taken by someone else can only be a planted one: another try, not a wait.
constexpr int kTries = 16;
constexpr DWORD kReadChunk = 1 << 20;

// Size and CRC-32 of what the file holds from its current position on.
bool ReadBack(HANDLE file, uint64_t& size, uint32_t& crc)
{
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[kReadChunk]);
    uLong sum = crc32(0L, Z_NULL, 0);
    size = 0;
    DWORD got = 0;
    while (buffer && ::ReadFile(file, buffer.get(), kReadChunk, &got, nullptr)) {
        if (got == 0) {
            crc = static_cast<uint32_t>(sum);
            return true;
        }
        sum = crc32(sum, buffer.get(), got);
        size += got;
    }
    return false;
}

} // namespace

bool SetupWorkFolder::Unpack(const std::string& containerPath, const std::string& parent)
{
    PayloadContainer container(containerPath);
    ContainerEntryList entries;
    if (containerPath.empty() || parent.empty() || !container.ReadDirectory(SetupLayout::InstallFolder, entries))
        return false;
    const ContainerEntry* payload = PayloadContainer::Find(entries, SetupLayout::Payload, false);
    const ContainerEntry* checksum = PayloadContainer::Find(entries, SetupLayout::PayloadChecksum, false);
    // The stored checksum, a u32 little endian, is read from the setup's own image.
    std::string stored;
    auto keep = [&](const char* bytes, size_t count) {
        stored.append(bytes, count);
        return true;
    };
    if (checksum && (checksum->size != 4 || !container.CopyEntry(*checksum, keep)))
        return false;
    uint32_t storedCrc = 0;
    for (size_t i = stored.size(); i-- > 0;)
        storedCrc = storedCrc << 8 | static_cast<unsigned char>(stored[i]);
    if (!payload || !CreateFolder(parent))
        return false;
    for (const ContainerEntry& entry : entries) {
        uint32_t crc = storedCrc;
        if (!entry.IsDirectory() && !UnpackFile(container, entry, &entry == payload && checksum, crc))
            return false;
        if (&entry == payload)
            seal_ = PayloadSeal{entry.size, crc};
    }
    return true;
}

// A folder of that name that is there already (left by a run that died, made by someone
// else, or a junction that would lead the unpacking and the exit's removal elsewhere) is
// neither entered nor removed: the run makes a new folder beside it, under a name nobody
// can guess. Refusing to start instead would let one folder left behind stop every later
// run. Nothing outside the running setup finds the folder by its name: the uninstaller,
// the install log and the record never name it.
bool SetupWorkFolder::CreateFolder(const std::string& parent)
{
    AdminOnlySecurity security;
    bool adminOnly = AdminOnlySecurity::ProcessIsAdministrator();
    if (adminOnly && !security.Attributes())
        return false;
    // The templates folder of a new profile may not be there yet.
    FileApi::MakeFolder(parent);
    // Named as the container's directory it holds, where it is free.
    std::string name = SetupLayout::InstallFolder;
    for (int attempt = 0; attempt < kTries && !name.empty(); ++attempt) {
        std::string path = PayloadContainer::JoinPath(parent, name);
        HeldFolder::Result result = folder_.Create(path, adminOnly ? security.Attributes() : nullptr);
        if (result == HeldFolder::Held) {
            path_ = path;
            return true;
        }
        if (result == HeldFolder::Failed)
            return false;
        name = GuidName::Make(std::string(SetupLayout::InstallFolder) + "-");
    }
    return false;
}

// The handle that wrote the file cannot be the one that holds it: a handle that may write
// keeps out readers that share reading only, as the banner's loader does. So what lies
// there once the writing handle is closed is checked through the handle that holds it from
// then on, and a file put in its place in between is found.
bool SetupWorkFolder::UnpackFile(PayloadContainer& container, const ContainerEntry& entry, bool sealed, uint32_t& crc)
{
    std::string path = PayloadContainer::JoinPath(path_, entry.name);
    if (!PayloadContainer::IsPlainName(entry.name) || ContainerFileSystem::PathLength(path) > PayloadContainer::PathLimit)
        return false;
    ScopedHandle writer(FileApi::Open(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_NEW, FILE_ATTRIBUTE_NORMAL));
    if (!writer)
        return false;
    files_.push_back(HeldFile{entry.name, path, ScopedHandle()});
    uLong sum = crc32(0L, Z_NULL, 0);
    bool copied = container.CopyEntry(entry, [&](const char* bytes, size_t count) {
        if (!sealed)
            sum = crc32(sum, reinterpret_cast<const Bytef*>(bytes), static_cast<uInt>(count));
        return HandleIo::WriteAll(writer.get(), bytes, count);
    });
    // A write-behind error (a full disk) may show only when the file is closed.
    if (!::CloseHandle(writer.release()) || !copied)
        return false;
    if (!sealed)
        crc = static_cast<uint32_t>(sum);
    ScopedHandle held(FileApi::Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
    uint64_t size = 0;
    uint32_t actual = 0;
    if (!held || !ReadBack(held.get(), size, actual) || size != entry.size || actual != crc)
        return false;
    files_.back().handle = std::move(held);
    return true;
}

const SetupWorkFolder::HeldFile* SetupWorkFolder::Find(const std::string& name) const
{
    for (const HeldFile& file : files_)
        if (file.handle && WideText::SameIgnoringCase(file.name, name))
            return &file;
    return nullptr;
}

std::string SetupWorkFolder::FilePath(const std::string& name) const
{
    const HeldFile* file = Find(name);
    return file ? file->path : std::string();
}

HANDLE SetupWorkFolder::Payload() const
{
    const HeldFile* file = Find(SetupLayout::Payload);
    return file ? file->handle.get() : nullptr;
}

void SetupWorkFolder::Remove()
{
    for (auto file = files_.rbegin(); file != files_.rend(); ++file) {
        file->handle.reset();
        FileApi::RemoveFile(file->path);
    }
    files_.clear();
    folder_.Release();
    if (!path_.empty())
        FileApi::RemoveFolder(path_);
    path_.clear();
}
