// The demo walkthrough: starts a packed setup, walks its wizard to the end as a person
// would, saves a picture of every page and question, and prints what was installed.
//
//   orvanta_walk SETUP.exe SHOTS-FOLDER [--language N] [--dir PATH] [--abandon]
//
// --language N picks the N-th entry of the language list (1-based); --dir types an
// install directory; --abandon cancels on the confirmation page instead of installing.
// Exit code 0 when the wizard reached its last page and the setup ended.
#include "InstallReport.h"
#include "SetupDriver.h"
#include "WindowShot.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const DWORD kStep = 30000;

struct Walk {
    SetupDriver driver;
    std::string shots;

    void Shot(const char* name, HWND window = nullptr)
    {
        Sleep(400); // let the page finish painting
        std::string path = shots + "\\" + name + ".bmp";
        if (!WindowShot::Save(window ? window : driver.Frame(), path))
            std::printf("  (no picture of %s)\n", name);
    }

    bool Next(int fromPage)
    {
        if (!driver.Press(1001)) {
            std::printf("Next cannot be pressed on page %d\n", fromPage);
            return false;
        }
        return true;
    }

    bool Expect(int page)
    {
        if (driver.WaitForPage(page, kStep))
            return true;
        std::printf("the wizard did not reach page %d (it shows %d)\n", page, driver.CurrentPage());
        return false;
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: orvanta_walk SETUP.exe SHOTS-FOLDER [--language N] [--dir PATH] [--abandon]\n");
        return 2;
    }
    Walk walk;
    walk.shots = argv[2];
    CreateDirectoryA(walk.shots.c_str(), nullptr);
    int language = 0;
    std::string directory;
    bool abandon = false;
    for (int i = 3; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--language") && i + 1 < argc)
            language = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--dir") && i + 1 < argc)
            directory = argv[++i];
        else if (!std::strcmp(argv[i], "--abandon"))
            abandon = true;
    }

    SetupDriver& d = walk.driver;
    if (!d.Start(argv[1]) || !d.WaitForFrame(60000)) {
        std::printf("the setup did not open its wizard\n");
        return 1;
    }
    std::printf("wizard open: \"%s\"\n", SetupDriver::WindowText(d.Frame()).c_str());

    if (!walk.Expect(0))
        return 1;
    // Off the corner where Wine's own desktop draws its shortcut icons.
    SetWindowPos(d.Frame(), nullptr, 150, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (language > 0) {
        if (!d.SelectListIndex(1006, language - 1))
            std::printf("there is no language %d\n", language);
        Sleep(300);
        // The new language shows at the next paint.
        RedrawWindow(d.Frame(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
    walk.Shot("language");
    if (!walk.Next(0) || !walk.Expect(1))
        return 1;
    walk.Shot("welcome");
    if (!walk.Next(1) || !walk.Expect(2))
        return 1;
    walk.Shot("licence");
    d.Press(1010);
    Sleep(300);
    if (!walk.Next(2) || !walk.Expect(3))
        return 1;
    if (!directory.empty())
        d.SetText(1015, directory);
    walk.Shot("directory");
    if (!walk.Next(3))
        return 1;
    // An existing directory raises the question; go on into it.
    for (DWORD waited = 0; waited < kStep && d.CurrentPage() == 3; waited += 200) {
        if (HWND box = d.WaitForMessageBox(200)) {
            walk.Shot("directory-question", box);
            SetupDriver::Answer(box, IDYES);
        }
    }
    if (!walk.Expect(4))
        return 1;
    walk.Shot("group");
    if (!walk.Next(4) || !walk.Expect(5))
        return 1;
    walk.Shot("confirm");

    if (abandon) {
        d.Press(1003);
        HWND box = d.WaitForMessageBox(kStep);
        if (!box)
            return 1;
        walk.Shot("abandon-question", box);
        SetupDriver::Answer(box, IDYES);
        if (!walk.Expect(8))
            return 1;
        walk.Shot("cancelled");
        d.Press(1003);
    } else {
        if (!walk.Next(5) || !walk.Expect(6))
            return 1;
        Sleep(600); // the page paints between notices
        walk.Shot("progress");
        if (!d.WaitForPage(7, 300000)) {
            std::printf("the installation did not finish (page %d)\n", d.CurrentPage());
            return 1;
        }
        walk.Shot("finish");
        // Leave without starting the program: untick the launch box first.
        if (d.IsChecked(1016))
            d.Press(1016);
        Sleep(300);
        d.Press(1003);
    }

    DWORD code = 0;
    if (!d.WaitForExit(60000, &code)) {
        std::printf("the setup did not end\n");
        return 1;
    }
    std::string report = InstallReport::Describe();
    std::printf("setup ended (exit code %lu)\n\n%s", code, report.c_str());
    // Also kept beside the pictures: a program started on Wine's own desktop has no
    // console its caller can read.
    if (FILE* file = std::fopen((walk.shots + "\\report.txt").c_str(), "w")) {
        std::fputs(report.c_str(), file);
        std::fclose(file);
    }
    return 0;
}
