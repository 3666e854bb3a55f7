// The demo walkthrough: starts a packed setup, walks its wizard to the end as a person
// would, saves a picture of every page and question, and prints what was installed.
//
//   orvanta_walk SETUP.exe SHOTS-FOLDER [--language N] [--dir PATH] [--abandon]
//
// --language N picks the N-th entry of the language list (1-based); --dir types an
// install directory; --abandon cancels on the confirmation page instead of installing.
// Exit code 0 when the wizard reached its last page and the setup ended. Paths may hold
// any character; what it prints and the report beside the pictures are UTF-8.
#include "InstallReport.h"
#include "SetupDriver.h"
#include "WindowShot.h"

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "framework/FileApi.h"
#include "framework/WideText.h"

namespace {

const DWORD kStep = 30000;
SetupDriver driver;
std::string shots;

void Shot(const char* name, HWND window = nullptr)
{
    Sleep(400); // let the page finish painting
    if (!WindowShot::Save(window ? window : driver.Frame(), shots + "\\" + name + ".bmp"))
        std::printf("  (no picture of %s)\n", name);
}

// Presses button (0: none) and waits for page, then takes its picture.
bool Reach(int button, int page, const char* shot, DWORD timeoutMs = kStep)
{
    if (button && !driver.Press(button)) {
        std::printf("button %d cannot be pressed on page %d\n", button, driver.CurrentPage());
        return false;
    }
    // An existing directory raises the question; the walk goes on into it.
    HWND answered = nullptr;
    bool reached = WaitUntil(timeoutMs, [page, &answered] {
        HWND box = page == 4 ? driver.WaitForMessageBox(0) : nullptr;
        if (box && box != answered) {
            Shot("directory-question", box);
            SetupDriver::Answer(answered = box, IDYES);
        }
        return driver.CurrentPage() == page;
    });
    if (!reached)
        std::printf("the wizard did not reach page %d (it shows %d)\n", page, driver.CurrentPage());
    else
        Shot(shot);
    return reached;
}

// The command line in UTF-8: main's arguments would be in the code page, which cannot
// hold every path.
std::vector<std::string> Arguments()
{
    std::vector<std::string> arguments;
    int count = 0;
    if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i)
            arguments.push_back(WideText::ToUtf8(wide[i]));
        LocalFree(wide);
    }
    return arguments;
}

} // namespace

int main()
{
    const std::vector<std::string> argv = Arguments();
    const size_t argc = argv.size();
    if (argc < 3) {
        std::fprintf(stderr, "usage: orvanta_walk SETUP.exe SHOTS-FOLDER [--language N] [--dir PATH] [--abandon]\n");
        return 2;
    }
    shots = argv[2];
    FileApi::MakeFolder(shots);
    int language = 0;
    std::string directory;
    bool abandon = false;
    for (size_t i = 3; i < argc; ++i) {
        if (argv[i] == "--language" && i + 1 < argc)
            language = std::atoi(argv[++i].c_str());
        else if (argv[i] == "--dir" && i + 1 < argc)
            directory = argv[++i];
        else
            abandon = abandon || argv[i] == "--abandon";
    }
    if (!driver.Start(argv[1]) || !driver.WaitForFrame(60000) || !driver.WaitForPage(0, kStep)) {
        std::printf("the setup did not open its wizard\n");
        return 1;
    }
    std::printf("wizard open: \"%s\"\n", SetupDriver::WindowText(driver.Frame()).c_str());
    // Off the corner where Wine's own desktop draws its shortcut icons.
    SetWindowPos(driver.Frame(), nullptr, 150, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (language > 0 && !driver.SelectListIndex(1006, language - 1))
        std::printf("there is no language %d\n", language);
    Sleep(300);
    // The new language shows at the next paint.
    driver.Repaint();
    if (!Reach(0, 0, "language") || !Reach(1001, 1, "welcome") || !Reach(1001, 2, "licence"))
        return 1;
    driver.Press(1010);
    if (!WaitUntil(kStep, [] { return driver.IsEnabled(1001); }) || !Reach(1001, 3, "directory"))
        return 1;
    if (!directory.empty())
        driver.SetText(1015, directory);
    if (!Reach(1001, 4, "group") || !Reach(1001, 5, "confirm"))
        return 1;
    if (abandon) {
        HWND box = driver.Press(1003) ? driver.WaitForMessageBox(kStep) : nullptr;
        if (!box)
            return 1;
        Shot("abandon-question", box);
        SetupDriver::Answer(box, IDYES);
        if (!Reach(0, 8, "cancelled"))
            return 1;
    } else {
        if (!Reach(1001, 6, "progress") || !Reach(0, 7, "finish", 300000))
            return 1;
        // Leave without starting the program: untick the launch box first.
        if (driver.IsChecked(1016))
            driver.Press(1016);
        Sleep(300);
    }
    driver.Press(1003);
    DWORD code = 0;
    if (!driver.WaitForExit(60000, &code)) {
        std::printf("the setup did not end\n");
        return 1;
    }
    std::string report = InstallReport::Describe();
    std::printf("setup ended (exit code %lu)\n\n%s", code, report.c_str());
    // Also kept beside the pictures: a program started on Wine's own desktop has no
    // console its caller can read.
    if (FILE* file = _wfopen(WideText::FromUtf8(shots + "\\report.txt").c_str(), L"w")) {
        std::fputs(report.c_str(), file);
        std::fclose(file);
    }
    return 0;
}
