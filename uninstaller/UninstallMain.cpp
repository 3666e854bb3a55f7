// Uninstall.exe: removes the product it was packed with from the folder it lies in.
//   Uninstall.exe       asks, removes, reports
//   Uninstall.exe /S    removes without showing anything
#include "uninstaller/Uninstaller.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    return Uninstaller(UninstallCommand::Parse(commandLine)).Run();
}
