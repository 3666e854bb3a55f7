#pragma once
class InstallEngine;

// The installation /S asks for: no window and no message at any time. It installs into
// the engine's directory and group (the wizard's proposals, or what the command line
// gave instead), uses an existing directory without asking, makes the desktop shortcut
// as the wizard does, and never launches the product.
class SilentInstall {
public:
    // Runs the installation to its end; the exit code (SetupExitCode.h). The language
    // must be set on the language table before.
    static int Run(InstallEngine& engine);
};
