#include "framework/ShellLinkTarget.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "framework/ComPtr.h"
#include "framework/ScopedItemIdList.h"
#include "framework/WideText.h"

std::string ShellLinkTarget::Read(const std::string& linkPath)
{
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> file;
    if (linkPath.empty() || FAILED(link.CreateInstance(CLSID_ShellLink, IID_IShellLinkW)) ||
        FAILED(link.As(file, IID_IPersistFile)) || FAILED(file->Load(WideText::FromUtf8(linkPath).c_str(), STGM_READ)))
        return std::string();
    // The link's item list names the target in full Unicode; the path field beside it may
    // have been stored through a code page (Wine writes it so), which loses characters.
    ScopedItemIdList items;
    wchar_t target[MAX_PATH] = {};
    if (SUCCEEDED(link->GetIDList(items.put())) && items && ::SHGetPathFromIDListW(items.get(), target) && target[0])
        return WideText::ToUtf8(target);
    if (link->GetPath(target, MAX_PATH, nullptr, 0) != S_OK)
        return std::string();
    return WideText::ToUtf8(target);
}
