#pragma once
// Common ground of the end-to-end tests: a clean profile before and after every test
// (record, working folder, program groups, desktop link, default directory, uninstaller
// copies), setups packed in-process from the demo product, and the walk a person makes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "InstallReport.h"
#include "SetupDriver.h"
#include "support/ScratchDir.h"

namespace e2e {

constexpr DWORD kStepMs = 30000;      // one page, box or process step
constexpr DWORD kInstallMs = 120000;  // a whole installation or removal
const char kTitle[] = "Orvanta 4.00"; // the demo's title, proposed group and desktop link name
const char kDefaultDirectory[] = "c:\\Program Files\\Orvanta 4.00";
const char kGroup[] = "E2E Group";    // the group tests type by hand

std::string DemoProduct();
std::string DemoLang();
std::string SetupStub();
// Where the e2e_signed_setup test leaves signed.exe and signed-changed.exe.
std::string SignedSetupDir();
std::string PlantedDll();
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
ULONGLONG WriteTime(const std::string& path);
inline bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
inline bool SamePath(const std::string& a, const std::string& b) { return ::lstrcmpiA(a.c_str(), b.c_str()) == 0; }
std::vector<DWORD> Processes(const char* namePrefix);
// Entries of the temporary folder whose names start with prefix.
std::vector<std::string> TempEntries(const std::string& prefix);
// Waits for a control to show a text: pages and buttons take their texts when they paint.
void ExpectText(SetupDriver& d, int id, const std::string& text);

// What the wizard is told on its way to the confirmation page.
struct Choices {
    std::string directory;            // typed on page 3; empty keeps the proposal
    bool existingDirectory = false;   // the directory question is expected and answered Yes
    std::string group;                // typed on page 4; empty keeps the proposal
};

class E2eTest : public ::testing::Test {
protected:
    void SetUp() override { CleanProfile(); }
    void TearDown() override { CleanProfile(); }
    static void CleanProfile();

    // product packed with lang (empty: none) and the demo banner, as scratch\name.exe.
    std::string Pack(const std::string& name, const std::string& product = DemoProduct(),
                     const std::string& lang = DemoLang());
    static bool Open(SetupDriver& d, const std::string& exe)
    {
        return d.Start(exe) && d.WaitForFrame(kStepMs) && d.WaitForPage(0, kStepMs);
    }
    static bool Go(SetupDriver& d, int button, int page) { return d.Press(button) && d.WaitForPage(page, kStepMs); }
    // From an open wizard on page 0 to page 5, through the licence gate and the directory question.
    void WalkToConfirm(SetupDriver& d, const Choices& choices);
    // The run ends on page 7 (finish) or 8 (cancel) with Cancel turned into OK alone.
    void EndsOn(SetupDriver& d, int page);
    // Leaves the finish page with the launch box ticked or not; the setup ends.
    void LeaveFinishPage(SetupDriver& d, bool launch);

    // Installed files byte-identical, shortcuts and record as the demo's lang.ini asks.
    void ExpectInstalled(const std::string& directory, const std::string& group, const std::string& setup);
    // No record, no group, no link, no working folder, and no directory (unless empty).
    void ExpectNothingInstalled(const std::string& directory, const std::string& group);

    static std::string GroupFolder(const std::string& group) { return InstallReport::ProgramsFolder() + "\\" + group; }
    static std::string DesktopLink() { return InstallReport::DesktopFolder() + "\\" + kTitle + ".lnk"; }
    static std::string WorkInstallFolder() { return InstallReport::WorkFolder() + "\\install"; }

    testsupport::ScratchDir scratch_;
};

} // namespace e2e
