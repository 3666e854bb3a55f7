#pragma once
// The setup's exit codes, the same for the wizard and the silent run, so that a
// deployment tool reads one table:
//   0     installed
//   1     the installation failed and was rolled back
//   2     refused before anything was written: a usage error, another setup running, a
//         refused directory, a log that cannot be opened
//   3     the setup is damaged (its container did not come through whole)
//   1602  the user abandoned it. The number is the one Windows Installer gives for a
//         user's cancel, which deployment tools already read as such.
enum SetupExitCode : int {
    ExitInstalled = 0,
    ExitFailed = 1,
    ExitRefused = 2,
    ExitDamaged = 3,
    ExitAbandoned = 1602,
};
