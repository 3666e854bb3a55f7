#include <windows.h>

#include "app/SetupApp.h"

// The one application object, constructed before WinMain runs the framework start-up.
static SetupApp theApp;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand)
{
    return AfxWinMain(instance, previous, commandLine, showCommand);
}
