#pragma once
#include "app/SetupCommandLine.h"

class InstallEngine;

// The installation /S asks for: no window and no message at any time. It installs with
// the wizard's proposals (directory, group, the default language, a desktop shortcut) or
// what the command line gives instead, uses an existing directory without asking, and
// never launches the product.
class SilentInstall {
public:
    // Runs the installation to its end; the exit code (SetupExitCode.h). The language
    // must be set on the language table before.
    static int Run(InstallEngine& engine, const SetupOptions& options);
};
