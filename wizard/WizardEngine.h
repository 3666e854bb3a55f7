#pragma once
class InstallEngine;

// The engine the wizard drives: the application object's (the setup's own, or the one a
// test program makes); null when there is none. The application object defines it, so
// the wizard needs none of the application's headers.
InstallEngine* WizardEngine();
// The language the setup's command line asks for (/LANG=N), which the language page
// offers first; 0 when it asks for none. Defined by the application object too.
int WizardRequestedLanguage();
