// The program group's shortcuts and the desktop shortcut.
#include "engine/InstallEngine.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <fstream>
#include <iterator>

#include "engine/ItemPath.h"
#include "framework/ComPtr.h"
#include "framework/ScopedCoInit.h"

namespace {

// Ctrl+Shift+R: HOTKEYF_SHIFT | HOTKEYF_CONTROL in the high byte, 'R' in the low byte.
constexpr WORD kHotKey = 0x0352;
constexpr int kWidePathLength = MAX_PATH;

} // namespace

void InstallEngine::NotifyShellFolder(LONG event, const std::string& path)
{
    ::SHChangeNotify(event, SHCNF_PATHA | SHCNF_FLUSH, path.c_str(), nullptr);
    ::SHChangeNotify(SHCNE_UPDATEDIR | SHCNE_INTERRUPT, SHCNF_PATHA | SHCNF_FLUSH, path.c_str(), nullptr);
}

bool InstallEngine::CreateGroupShortcut(std::string target, std::string linkName, std::string icon)
{
    return CreateShortcut(programsFolder + "\\" + programGroup + "\\" + linkName, target, icon);
}

bool InstallEngine::CreateDesktopShortcut(std::string target, std::string linkName, std::string icon)
{
    return CreateShortcut(desktopFolder + "\\" + linkName, target, icon);
}

// COM is uninitialised on every way out, a failure half way included: each successful
// CoInitialize on this thread must be paired, or every failed shortcut would leave one
// more initialisation behind and the worker would end with COM still initialised.
bool InstallEngine::CreateShortcut(const std::string& linkPath, const std::string& target, const std::string& icon)
{
    ScopedCoInit com;
    ComPtr<IShellLinkA> link;
    if (FAILED(link.CreateInstance(CLSID_ShellLink, IID_IShellLinkA)))
        return false;
    if (!icon.empty())
        link->SetIconLocation((installDirectory + "\\" + icon).c_str(), 0);
    link->SetPath((installDirectory + "\\" + target).c_str());
    link->SetHotkey(kHotKey);
    ComPtr<IPersistFile> file;
    if (FAILED(link.As(file, IID_IPersistFile)))
        return false;
    // A path that does not fit is not saved at all: a cut or unterminated conversion
    // would save the link under some other name.
    WCHAR widePath[kWidePathLength];
    if (::MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, widePath, kWidePathLength) == 0)
        return true;
    // A link file of that name is replaced, and its bytes are kept for a rollback; a
    // symbolic link of that name is never saved through.
    CreatedEntries::Shortcut shortcut;
    // The log names it as the system spells it (the group's path has a doubled separator).
    shortcut.path = ItemPath::Full(linkPath);
    DWORD attributes = ::GetFileAttributesA(linkPath.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY))
            return true;
        std::ifstream earlier(linkPath, std::ios::binary);
        shortcut.replaced = true;
        shortcut.earlierBytes.assign(std::istreambuf_iterator<char>(earlier), std::istreambuf_iterator<char>());
    }
    if (SUCCEEDED(file->Save(widePath, TRUE)))
        created.AddShortcut(std::move(shortcut));
    return true;
}
