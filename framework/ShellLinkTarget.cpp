#include "framework/ShellLinkTarget.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "framework/ComPtr.h"

std::string ShellLinkTarget::Read(const std::string& linkPath)
{
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> file;
    wchar_t widePath[MAX_PATH] = {};
    if (FAILED(link.CreateInstance(CLSID_ShellLink, IID_IShellLinkA)) || FAILED(link.As(file, IID_IPersistFile)) ||
        !::MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, widePath, MAX_PATH) ||
        FAILED(file->Load(widePath, STGM_READ)))
        return std::string();
    char target[MAX_PATH] = {};
    if (link->GetPath(target, MAX_PATH, nullptr, 0) != S_OK)
        return std::string();
    return target;
}
