#include "app/SetupApp.h"

SetupApp::SetupApp() : CWinApp(nullptr) {}
BOOL SetupApp::InitInstance() { return FALSE; }
int SetupApp::ExitInstance() { return CWinApp::ExitInstance(); }
