// Started by the launch test under several names: leaves "<its own path>.ran" behind.
#include <windows.h>

int main()
{
    char path[MAX_PATH + 8] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    lstrcatA(path, ".ran");
    return ::CloseHandle(::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)) ? 0 : 1;
}
