#pragma once
#include <string>

// The shell of the interactive desktop (Explorer), asked to start something for us. What
// it starts is its child: it runs with the shell's token, the one the user logged on
// with, not with an elevated caller's.
class DesktopShell {
public:
    // Opens file ("open" verb, shown normally) in directory through the desktop's own
    // shell view. True when the shell took the request; false when there is no desktop
    // shell to ask (no Explorer desktop, another session) or it refused.
    static bool Open(const std::string& file, const std::string& directory);
};
