// The entry points of shipped programs (cmake/ShippedPrograms.cmake): the DLL search is
// restricted before the C runtime, its static constructors or WinMain run.
#include "framework/DllSearchGuard.h"

extern "C" int WinMainCRTStartup();
extern "C" int mainCRTStartup();

extern "C" int OrvantaGuardedWinStart()
{
    DllSearchGuard::RestrictToSystemFolder();
    return WinMainCRTStartup();
}

extern "C" int OrvantaGuardedConsoleStart()
{
    DllSearchGuard::RestrictToSystemFolder();
    return mainCRTStartup();
}
