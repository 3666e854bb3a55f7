// A DLL someone left in a folder a program starts from, under the name of a DLL the
// system would look for: if anything loads it, it leaves "<its file name>.ran" beside
// itself and then refuses to load, so that a program that took it fails at once instead
// of calling into it.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    wchar_t path[MAX_PATH + 4] = {};
    DWORD length = ::GetModuleFileNameW(instance, path, MAX_PATH);
    if (reason == DLL_PROCESS_ATTACH && length > 0 && length < MAX_PATH) {
        ::lstrcatW(path, L".ran");
        ::CloseHandle(::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    return reason != DLL_PROCESS_ATTACH;
}
