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
        HeldFolder::Result result = held_.Create(parent + "\\" + name, attributes);
        if (result == HeldFolder::Held) {
            path_ = parent + "\\" + name;
            return true;
        }
        if (result == HeldFolder::Failed)
            return false;
    }
    return false;
}

bool WorkFolder::Hold(const std::string& path)
{
    if (!held_.Open(path))
        return false;
    path_ = path;
    return true;
}

void WorkFolder::Remove()
{
    held_.Release();
    if (!path_.empty())
        Remover::RemoveTree(path_);
}
