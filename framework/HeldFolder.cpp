#include "framework/HeldFolder.h"

#include <winternl.h>

#include "framework/WideText.h"

namespace {

constexpr NTSTATUS kNameCollision = static_cast<NTSTATUS>(0xC0000035);  // STATUS_OBJECT_NAME_COLLISION
constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
// A handle that only reads attributes would take no part in the sharing check.
constexpr ACCESS_MASK kAccess = FILE_LIST_DIRECTORY | SYNCHRONIZE;

} // namespace

// CreateDirectory and a later open are two steps; NtCreateFile with FILE_CREATE makes the
// folder and returns its handle in one.
HeldFolder::Result HeldFolder::Create(const std::string& path, SECURITY_ATTRIBUTES* security)
{
    handle_.reset();
    UNICODE_STRING name{};
    if (path.empty() || !::RtlDosPathNameToNtPathName_U(WideText::FromUtf8(path).c_str(), &name, nullptr, nullptr))
        return Failed;
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE, nullptr,
                               security ? security->lpSecurityDescriptor : nullptr);
    IO_STATUS_BLOCK io{};
    HANDLE handle = nullptr;
    NTSTATUS status = ::NtCreateFile(&handle, kAccess, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL, kShare,
                                     FILE_CREATE, FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
    ::RtlFreeUnicodeString(&name);
    if (status == kNameCollision)
        return Exists;
    if (status < 0)
        return Failed;
    handle_.reset(handle);
    return Held;
}

bool HeldFolder::Open(const std::string& path)
{
    handle_.reset(::CreateFileW(WideText::FromUtf8(path).c_str(), kAccess, kShare, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    if (handle_ && ::GetFileInformationByHandle(handle_.get(), &information) &&
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        !(information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return true;
    handle_.reset();
    return false;
}
