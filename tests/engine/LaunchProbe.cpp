// Started by the launch test under several names: leaves "<its own path>.ran" behind,
// holding the folder it was started in.
#include <windows.h>

int main()
{
    char path[MAX_PATH + 8] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    lstrcatA(path, ".ran");
    char folder[MAX_PATH] = {};
    DWORD length = ::GetCurrentDirectoryA(MAX_PATH, folder);
    HANDLE marker = ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    bool ok = marker != INVALID_HANDLE_VALUE && ::WriteFile(marker, folder, length, &written, nullptr);
    return ::CloseHandle(marker) && ok ? 0 : 1;
}
