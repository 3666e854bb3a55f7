#include "framework/DllSearchGuard.h"

#include <windows.h>

namespace {

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

bool restricted = false;

// DLLs that system DLLs load later by their bare names, for what these programs do:
// themes, window composition, the shell's property system, user profiles, file versions.
// Loaded from the system folder first, a later load by name finds them loaded already and
// searches nowhere. That covers what the restriction cannot: systems without it, and
// loads that ignore it (delay-loaded imports of system DLLs under Wine).
constexpr const wchar_t* kPinnedHelpers[] = {L"uxtheme.dll", L"dwmapi.dll", L"propsys.dll", L"userenv.dll", L"version.dll"};

} // namespace

bool DllSearchGuard::RestrictToSystemFolder()
{
    // Looked up, not imported: without it the program would not even start on the
    // systems that lack it.
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    restricted = setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!restricted)
        ::SetDllDirectoryW(L"");
    for (const wchar_t* helper : kPinnedHelpers)
        LoadSystemLibrary(helper);
    return restricted;
}

// Runs before the C runtime has started: kernel32 calls and a fixed buffer only.
void* DllSearchGuard::LoadSystemLibrary(const wchar_t* fileName)
{
    wchar_t path[MAX_PATH] = {};
    UINT length = ::GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length + 1 + ::lstrlenW(fileName) >= MAX_PATH)
        return nullptr;
    ::lstrcatW(path, L"\\");
    ::lstrcatW(path, fileName);
    // Restricted, the library's own imports come from the system folder as well; without
    // the restriction the altered search starts them at the library's folder, not ours.
    return ::LoadLibraryExW(path, nullptr, restricted ? 0 : LOAD_WITH_ALTERED_SEARCH_PATH);
}
