// The benchmark driver: runs a packed setup the way a person would and times the two
// waits a user feels, from start to the first page and from Next on the confirmation
// page to the finish page, then reads the setup's peak memory before it ends.
//
//   orvanta_bench SETUP.exe INSTALL-DIR NOTICE-LOG
//
// Prints one line: first_page_s=... install_s=... peak_ws=... peak_commit=... followed
// by the lines of the notice log the benchmark setup wrote at its exit (if any).
// Exit code 0 when the wizard went through to the end.
//
//   orvanta_bench --time PROGRAM [ARGUMENT...]
//
// Times another installer (the benchmark's peer) from its process's creation to its end
// and prints run_s=...; the exit code is the program's.
#include "SetupDriver.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

namespace {

const DWORD kStep = 60000;

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

LARGE_INTEGER Now()
{
    LARGE_INTEGER ticks;
    QueryPerformanceCounter(&ticks);
    return ticks;
}

// Polls often enough for a fine reading, rarely enough not to compete with the setup
// for the machine's cores and the Wine server.
template <class Pred>
bool PollUntil(DWORD timeoutMs, DWORD intervalMs, Pred pred)
{
    DWORD start = GetTickCount();
    while (!pred()) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(intervalMs);
    }
    return true;
}

int Fail(SetupDriver& d, const char* what)
{
    std::printf("error: %s (page %d)\n", what, d.CurrentPage());
    d.Kill();
    return 1;
}

int TimeProgram(int argc, char** argv)
{
    // Arguments are passed as given: NSIS reads its /S and /D= only unquoted.
    std::string command = std::string("\"") + argv[0] + "\"";
    for (int i = 1; i < argc; ++i)
        command += std::string(" ") + argv[i];
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    LARGE_INTEGER started = Now();
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::printf("error: %s did not start (error %lu)\n", argv[0], GetLastError());
        return 1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    LARGE_INTEGER ended = Now();
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::printf("run_s=%.4f\n", Seconds(started, ended));
    return int(code);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 2 && std::string(argv[1]) == "--time")
        return TimeProgram(argc - 2, argv + 2);
    if (argc < 4) {
        std::fprintf(stderr, "usage: orvanta_bench SETUP.exe INSTALL-DIR NOTICE-LOG\n");
        return 2;
    }
    std::string setup = argv[1], directory = argv[2], log = argv[3];
    DeleteFileA(log.c_str());
    SetEnvironmentVariableA("ORVANTA_NOTICE_LOG", log.c_str());

    SetupDriver d;
    LARGE_INTEGER started = Now();
    if (!d.Start(setup))
        return Fail(d, "the setup did not start");
    bool shown = PollUntil(kStep * 5, 5, [&d] {
        HWND frame = d.WaitForFrame(0);
        return (frame && IsWindowVisible(frame) && d.CurrentPage() == 0) || !d.Running();
    });
    LARGE_INTEGER firstPage = Now();
    if (!shown || !d.Running())
        return Fail(d, "the wizard did not open");

    auto next = [&d](int to) { return d.Press(1001) && d.WaitForPage(to, kStep); };
    if (!next(1) || !next(2))
        return Fail(d, "no licence page");
    d.Press(1010);
    if (!PollUntil(kStep, 20, [&d] { return d.IsEnabled(1001); }) || !next(3))
        return Fail(d, "no directory page");
    d.SetText(1015, directory);
    d.Press(1001);
    // An existing directory raises the question; go on into it.
    PollUntil(kStep, 20, [&d] {
        if (HWND box = d.WaitForMessageBox(0))
            SetupDriver::Answer(box, IDYES);
        return d.CurrentPage() == 4;
    });
    if (d.CurrentPage() != 4 || !next(5))
        return Fail(d, "no confirmation page");

    LARGE_INTEGER confirmed = Now();
    d.Press(1001);
    bool finished = PollUntil(kStep * 30, 10, [&d] { return d.CurrentPage() == 7 || !d.Running(); });
    LARGE_INTEGER done = Now();
    if (!finished || d.CurrentPage() != 7)
        return Fail(d, "the installation did not finish");

    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, d.ProcessId());
    if (!process || !GetProcessMemoryInfo(process, &memory, sizeof(memory)))
        std::fprintf(stderr, "warning: no memory figures (error %lu)\n", GetLastError());
    if (process)
        CloseHandle(process);

    // Leave without starting the product. The finish page ticks its launch box at every
    // paint, so the box is cleared once the page has painted, and checked again.
    bool cleared = PollUntil(10000, 200, [&d] {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(d.Control(1016), BM_SETCHECK, BST_UNCHECKED, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
        Sleep(200);
        return !d.IsChecked(1016);
    });
    if (!cleared)
        return Fail(d, "the launch box stays ticked");
    d.Press(1003);
    if (!d.WaitForExit(kStep * 5))
        return Fail(d, "the setup did not end");

    std::printf("first_page_s=%.4f install_s=%.4f peak_ws=%llu peak_commit=%llu\n", Seconds(started, firstPage),
                Seconds(confirmed, done), static_cast<unsigned long long>(memory.PeakWorkingSetSize),
                static_cast<unsigned long long>(memory.PeakPagefileUsage));
    if (std::FILE* in = std::fopen(log.c_str(), "r")) {
        char line[256];
        while (std::fgets(line, sizeof(line), in))
            std::fputs(line, stdout);
        std::fclose(in);
    }
    return 0;
}
