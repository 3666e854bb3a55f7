// Started by the launch test under several names: leaves "<its own path>.ran" behind.
#include <windows.h>

int main()
{
    char path[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH - 8);
    if (length == 0)
        return 1;
    lstrcatA(path, ".ran");
    HANDLE file = ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    ::CloseHandle(file);
    return 0;
}
