#pragma once
#include <windows.h>

#include <string>

// Saves what the screen shows of a window (frame and caption included) as a 24-bit BMP.
// It copies from the screen, so the window must be on top and not covered. bmpPath is UTF-8.
class WindowShot {
public:
    static bool Save(HWND window, const std::string& bmpPath);
};
