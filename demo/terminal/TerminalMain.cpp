// terminal.exe: the demo product's application. One window that says what it is and
// where it runs from, so a person (or a test) can see that the installed copy started.
#include <windows.h>

#include <string>

namespace {

const char kClassName[] = "OrvantaTerminal";

std::string ModuleFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof(path) - 1);
    std::string s(path);
    size_t cut = s.find_last_of('\\');
    return cut == std::string::npos ? s : s.substr(0, cut);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT area;
        GetClientRect(window, &area);
        FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(120, 230, 140));
        SelectObject(dc, GetStockObject(ANSI_FIXED_FONT));
        std::string text = "Orvanta 4.00 terminal\r\n\r\nRunning from " + ModuleFolder() + "\r\n\r\n> _";
        InflateRect(&area, -12, -12);
        DrawTextA(dc, text.c_str(), -1, &area, DT_LEFT | DT_TOP | DT_WORDBREAK);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = kClassName;
    if (!RegisterClassA(&wc))
        return 1;
    HWND window = CreateWindowExA(0, kClassName, "Orvanta Terminal", WS_OVERLAPPEDWINDOW,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 520, 320, nullptr, nullptr,
                                  instance, nullptr);
    if (!window)
        return 1;
    ShowWindow(window, show);
    UpdateWindow(window);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
