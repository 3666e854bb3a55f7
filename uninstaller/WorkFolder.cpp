#include "uninstaller/WorkFolder.h"

#include <windows.h>

#include "framework/AdminOnlySecurity.h"
#include "framework/FileApi.h"
#include "framework/GuidName.h"
#include "remover/Remover.h"

namespace {

// A name taken by someone else can only be a planted one: another try, not a wait.
constexpr int kTries = 16;

} // namespace

std::string WorkFolder::TempFolder()
{
    std::string folder = FileApi::TempFolder();
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
        std::string name = GuidName::Make(Prefix);
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
