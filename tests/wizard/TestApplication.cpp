// The test program's application object, as setup.exe has one: the wizard reaches the
// engine through it. Tests set its engine and never run InitInstance.
#include "app/SetupApp.h"

SetupApp testApplication;
