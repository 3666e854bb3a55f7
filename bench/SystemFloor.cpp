// The floors under the setup's installation on this system.
// Notices: what one costs when it does nothing but cross from a worker thread to the
// window's thread, and when its handler does what the frame does for a chunk (two
// PBM_DELTAPOS), with the bars redrawing at once and with their redrawing held as the
// progress page holds it.
// Files: what creating, writing (2 KiB) and closing one new file costs, below a folder
// given on the command line, 200 files to a folder like the benchmark's small product.
// Start: from the creation of this process to its first window on the screen, for a
// program that loads the same system DLLs as the setup.
//
//   orvanta_floor FOLDER [COUNT]
//
// Prints one line per case: floor_<case>_us=<microseconds per notice or file>.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

enum Case { EmptySend, BarsDrawn, BarsHeld, CaseCount };
const char* const kNames[CaseCount] = {"send", "bars_drawn", "bars_held"};

HWND mainWindow = nullptr;
HWND bars[2] = {};
bool stepBars = false;
int notices = 2000;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP) {
        if (stepBars)
            for (HWND bar : bars)
                SendMessageA(bar, PBM_DELTAPOS, 1, 0);
        return 0;
    }
    if (message == WM_APP + 1) {
        DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

double SinceProcessCreation()
{
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimeAsFileTime(&now);
    auto ticks = [](const FILETIME& t) { return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return double(ticks(now) - ticks(created)) / 1e7;
}

double Now()
{
    LARGE_INTEGER ticks, frequency;
    QueryPerformanceCounter(&ticks);
    QueryPerformanceFrequency(&frequency);
    return double(ticks.QuadPart) / double(frequency.QuadPart);
}

DWORD WINAPI Worker(LPVOID)
{
    for (int c = 0; c < CaseCount; ++c) {
        stepBars = c != EmptySend;
        for (HWND bar : bars) {
            SendMessageA(bar, PBM_SETPOS, 0, 0);
            SendMessageA(bar, WM_SETREDRAW, c != BarsHeld, 0);
        }
        double start = Now();
        for (int i = 0; i < notices; ++i)
            SendMessageA(mainWindow, WM_APP, 0, 0);
        std::printf("floor_%s_us=%.1f\n", kNames[c], (Now() - start) / notices * 1e6);
        std::fflush(stdout);
    }
    SendMessageA(mainWindow, WM_APP + 1, 0, 0);
    return 0;
}

void MeasureFiles(const std::string& folder, int count)
{
    char data[2048];
    for (size_t i = 0; i < sizeof data; ++i)
        data[i] = char('a' + i % 26);
    CreateDirectoryA(folder.c_str(), nullptr);
    double start = Now();
    for (int i = 0; i < count; ++i) {
        std::string sub = folder + "\\f" + std::to_string(i / 200);
        if (i % 200 == 0)
            CreateDirectoryA(sub.c_str(), nullptr);
        std::string name = sub + "\\file" + std::to_string(i % 200) + ".txt";
        HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(file, data, sizeof data, &written, nullptr);
        CloseHandle(file);
    }
    std::printf("floor_file_us=%.1f\n", (Now() - start) / count * 1e6);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: orvanta_floor FOLDER [COUNT]\n");
        return 2;
    }
    if (argc > 2)
        notices = std::atoi(argv[2]) > 0 ? std::atoi(argv[2]) : notices;
    std::string files = argv[1];
    InitCommonControls();
    // The setup's other system DLLs, used so that they load with this program as with it.
    CoInitialize(nullptr);
    char folder[MAX_PATH];
    SHGetSpecialFolderPathA(nullptr, folder, CSIDL_TEMPLATES, FALSE);
    PathFileExistsA(folder);
    HKEY key = nullptr;
    RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key);
    RegCloseKey(key);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "OrvantaFloor";
    RegisterClassA(&windowClass);
    mainWindow = CreateWindowA(windowClass.lpszClassName, "floor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                               460, 120, nullptr, nullptr, instance, nullptr);
    for (int i = 0; i < 2; ++i) {
        // Like the page's bars: bordered, not smooth, about as wide.
        bars[i] = CreateWindowA(PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10 + 30 * i, 410, 22, mainWindow,
                                nullptr, instance, nullptr);
        SendMessageA(bars[i], PBM_SETRANGE32, 0, notices);
    }
    UpdateWindow(mainWindow);
    std::printf("floor_start_us=%.0f\n", SinceProcessCreation() * 1e6);
    std::fflush(stdout);
    HANDLE worker = CreateThread(nullptr, 0, Worker, nullptr, 0, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    WaitForSingleObject(worker, INFINITE);
    CloseHandle(worker);
    MeasureFiles(files, 2000);
    CoUninitialize();
    return 0;
}
