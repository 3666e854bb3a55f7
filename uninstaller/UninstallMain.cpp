// Uninstall.exe: removes the product it was packed with from the folder it lies in.
//   Uninstall.exe       asks, removes, reports
//   Uninstall.exe /S    removes without showing anything
#include "framework/WideText.h"
#include "uninstaller/Uninstaller.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int)
{
    return Uninstaller(UninstallCommand::Parse(WideText::ToUtf8(commandLine).c_str())).Run();
}
