#include <windows.h>

#include "app/SetupApp.h"

// The one application object, constructed before wWinMain runs the framework start-up.
static SetupApp theApp;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int showCommand)
{
    return AfxWinMain(instance, previous, commandLine, showCommand);
}
