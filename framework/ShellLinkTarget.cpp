#include "framework/ShellLinkTarget.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "framework/ComPtr.h"
#include "framework/WideText.h"

std::string ShellLinkTarget::Read(const std::string& linkPath)
{
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> file;
    if (linkPath.empty() || FAILED(link.CreateInstance(CLSID_ShellLink, IID_IShellLinkW)) ||
        FAILED(link.As(file, IID_IPersistFile)) || FAILED(file->Load(WideText::FromUtf8(linkPath).c_str(), STGM_READ)))
        return std::string();
    wchar_t target[MAX_PATH] = {};
    if (link->GetPath(target, MAX_PATH, nullptr, 0) != S_OK)
        return std::string();
    return WideText::ToUtf8(target);
}
