#include "uninstaller/WorkFolder.h"

#include <windows.h>
#include <objbase.h>

#include <cstdio>

#include "framework/AdminOnlySecurity.h"
#include "remover/Remover.h"

namespace {

// A name taken by someone else can only be a planted one: another try, not a wait.
constexpr int kTries = 16;

std::string RandomName()
{
    GUID guid{};
    if (FAILED(::CoCreateGuid(&guid)))
        return std::string();
    char digits[33];
    std::snprintf(digits, sizeof(digits), "%08lX%04X%04X%02X%02X%02X%02X%02X%02X%02X%02X", guid.Data1, guid.Data2,
                  guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                  guid.Data4[6], guid.Data4[7]);
    return std::string(WorkFolder::Prefix) + digits;
}

} // namespace

std::string WorkFolder::TempFolder()
{
    char temp[MAX_PATH] = {};
    DWORD length = ::GetTempPathA(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH)
        return std::string();
    std::string folder(temp, length);
    while (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    return folder;
}

bool WorkFolder::Create(const std::string& parent, bool adminOnly)
{
    AdminOnlySecurity security;
    SECURITY_ATTRIBUTES* attributes = adminOnly ? security.Attributes() : nullptr;
    if (parent.empty() || (adminOnly && !attributes))
        return false;
    for (int i = 0; i < kTries; ++i) {
        std::string name = RandomName();
        if (name.empty())
            return false;
        std::string path = parent + "\\" + name;
        if (::CreateDirectoryA(path.c_str(), attributes))
            return Hold(path);
        if (::GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return false;
}

bool WorkFolder::Hold(const std::string& path)
{
    // Without FILE_SHARE_DELETE nobody can open the folder to rename or delete it; a
    // handle that reads attributes only would not count in that check.
    handle_.reset(::CreateFileA(path.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    if (!handle_ || !::GetFileInformationByHandle(handle_.get(), &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
        !(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        handle_.reset();
        return false;
    }
    path_ = path;
    return true;
}

void WorkFolder::Remove()
{
    handle_.reset();
    if (!path_.empty())
        Remover::RemoveTree(path_);
}
