// The program group's shortcuts and the desktop shortcut.
#include "engine/InstallEngine.h"

#include <shlobj.h>
#include <shobjidl.h>

#include "engine/ItemPath.h"
#include "framework/EventLog.h"
#include "framework/ComPtr.h"
#include "framework/FileApi.h"
#include "framework/HandleIo.h"
#include "framework/ScopedCoInit.h"
#include "framework/ScopedHandle.h"
#include "framework/WideText.h"

namespace {

// Ctrl+Shift+R: HOTKEYF_SHIFT | HOTKEYF_CONTROL in the high byte, 'R' in the low byte.
constexpr WORD kHotKey = 0x0352;

// The bytes of a link file, kept for a rollback; empty when it cannot be read whole.
std::string ReadLinkFile(const std::string& path)
{
    ScopedHandle file(FileApi::Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
    LARGE_INTEGER size;
    if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0)
        return std::string();
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    return HandleIo::ReadAll(file.get(), &bytes[0], bytes.size()) ? bytes : std::string();
}

} // namespace

void InstallEngine::NotifyShellFolder(LONG event, const std::string& path)
{
    std::wstring wide = WideText::FromUtf8(path);
    ::SHChangeNotify(event, SHCNF_PATHW | SHCNF_FLUSH, wide.c_str(), nullptr);
    ::SHChangeNotify(SHCNE_UPDATEDIR | SHCNE_INTERRUPT, SHCNF_PATHW | SHCNF_FLUSH, wide.c_str(), nullptr);
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
    ComPtr<IShellLinkW> link;
    if (FAILED(link.CreateInstance(CLSID_ShellLink, IID_IShellLinkW)))
        return false;
    if (!icon.empty())
        link->SetIconLocation(WideText::FromUtf8(installDirectory + "\\" + icon).c_str(), 0);
    link->SetPath(WideText::FromUtf8(installDirectory + "\\" + target).c_str());
    link->SetHotkey(kHotKey);
    ComPtr<IPersistFile> file;
    if (FAILED(link.As(file, IID_IPersistFile)))
        return false;
    // A path the system cannot take whole (MAX_PATH characters with the terminating zero)
    // is not saved at all: a cut one would save the link under some other name.
    std::wstring widePath = WideText::FromUtf8(linkPath);
    if (widePath.size() >= MAX_PATH)
        return true;
    // A link file of that name is replaced, and its bytes are kept for a rollback; a
    // symbolic link of that name is never saved through.
    CreatedEntries::Shortcut shortcut;
    // The log names it as the system spells it (the group's path has a doubled separator).
    shortcut.path = ItemPath::Full(linkPath);
    DWORD attributes = FileApi::Attributes(linkPath);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY))
            return true;
        shortcut.replaced = true;
        shortcut.earlierBytes = ReadLinkFile(linkPath);
    }
    HRESULT saved = file->Save(widePath.c_str(), TRUE);
    if (SUCCEEDED(saved)) {
        EventLog::Instance().Write("shortcut: " + linkPath);
        created.AddShortcut(std::move(shortcut));
    } else {
        EventLog::Instance().Failure("shortcut not saved: " + linkPath, DWORD(saved));
    }
    return true;
}
