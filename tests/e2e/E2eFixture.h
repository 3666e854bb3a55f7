#pragma once
// Common ground of the end-to-end tests: a clean profile before and after every test,
// setups packed in-process from the demo product, and the walk a person makes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "InstallReport.h"
#include "SetupDriver.h"
#include "framework/FileApi.h"
#include "remover/InstallRecordKey.h"
#include "support/ScratchDir.h"

namespace e2e {

constexpr DWORD kStepMs = 30000;      // one page, box or process step
constexpr DWORD kInstallMs = 120000;  // a whole installation or removal
const char kTitle[] = "Orvanta 4.00"; // the demo's title, proposed group and desktop link name
const char kDefaultDirectory[] = "c:\\Program Files\\Orvanta 4.00";
const char kGroup[] = "E2E Group";    // the group tests type by hand

// A path of the build tree as Windows code sees it (Wine's drive Z: is the Linux root).
inline std::string WinPath(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return "Z:" + path;
}
const std::string kDemoProduct = WinPath(ORVANTA_DEMO_DIR "/product");
const std::string kSetupStub = WinPath(ORVANTA_SETUP_EXE);
const std::string kGenericUninstaller = WinPath(ORVANTA_UNINSTALL_EXE);
const std::string kTamper = WinPath(ORVANTA_TAMPER_EXE);
// Where the e2e_signed_setup test leaves signed.exe and signed-changed.exe.
const std::string kSignedSetupDir = WinPath(ORVANTA_SIGNED_DIR);

// Paths are UTF-8 everywhere here. std::filesystem takes a narrow path in neither UTF-8
// nor the code page, so every path given to it goes through FsPath.
inline std::filesystem::path FsPath(const std::string& path) { return std::filesystem::u8path(path); }
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
ULONGLONG WriteTime(const std::string& path);
inline bool Exists(const std::string& path) { return FileApi::Attributes(path) != INVALID_FILE_ATTRIBUTES; }
std::vector<DWORD> Processes(const char* namePrefix);

// DLLs someone left in folder (copies of planted.dll, each leaving "<name>.ran" when
// loaded): comctl32, which the wizard needs, and a helper that a system DLL loads later
// (comctl32 loads uxtheme). Meanwhile Wine prefers such native copies, as Windows does for
// every DLL that is not a known DLL; Wine takes that order from its registry at each
// program's start (a child does not take WINEDLLOVERRIDES from us).
void PlantDlls(const std::string& folder);
// How many of the planted DLLs in folder something loaded.
int PlantedDllsRun(const std::string& folder);

// What the wizard is told on its way to the confirmation page.
struct Choices {
    std::string directory;            // typed on page 3; empty keeps the proposal
    bool existingDirectory = false;   // the directory question is expected and answered Yes
    std::string group;                // typed on page 4; empty keeps the proposal
    int language = 0;                 // picked on page 0
    // Called while page 0 shows, and by Install while the run goes on.
    std::function<void(SetupDriver&)> onFirstPage = nullptr, onRun = nullptr;
};

class E2eTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ExpectCodePage());
        CleanProfile();
    }
    void TearDown() override { CleanProfile(); }
    static void CleanProfile();
    // The code page CTest runs the test under (ORVANTA_E2E_CODE_PAGE), when it names one,
    // is the system's: a test meant for another code page proves nothing under this one.
    static void ExpectCodePage();

    // product packed with lang and the demo banner, as scratch\name.exe.
    std::string Pack(const std::string& name, const std::string& product = kDemoProduct,
                     const std::string& lang = WinPath(ORVANTA_DEMO_DIR "/lang.ini"));
    // Starts the setup and walks it from page 0 to the confirmation page and its Next.
    void OpenAndConfirm(SetupDriver& d, const std::string& setup, const Choices& choices);
    // Waits for the run to end on page 7 (finish) or 8 (cancel).
    void EndsOn(SetupDriver& d, int page);
    // The whole walk: installed with these choices, the finish page showing finishText
    // (unless empty) left with the launch box ticked or not.
    void Install(const std::string& setup, const Choices& choices, const std::string& finishText = "",
                 bool launch = false);

    // Installed files byte-identical to product's, shortcuts in the order the demo's
    // lang.ini asks, and the record of a finished run.
    void ExpectInstalled(const std::string& directory, const std::string& group, const std::string& setup,
                         const std::string& product = kDemoProduct);
    // The uninstaller and its copy have ended; of directory only the user's "my notes.txt"
    // is left, and the desktop link and the record are gone.
    void ExpectRemoved(const std::string& directory);

    static std::string GroupFolder(const std::string& group) { return InstallReport::ProgramsFolder() + "\\" + group; }
    static std::string DesktopLink() { return InstallReport::DesktopFolder() + "\\" + kTitle + ".lnk"; }
    static std::string WorkInstallFolder() { return InstallReport::WorkFolder() + "\\install"; }

    testsupport::ScratchDir scratch_;
};

} // namespace e2e
