#pragma once
// Common ground of the end-to-end tests: a clean profile before and after every test
// (record, working folder, program groups, desktop link, install directories), setups
// packed in-process from the demo product, and the walk through the wizard a person makes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SetupDriver.h"
#include "support/ScratchDir.h"

namespace e2e {

constexpr DWORD kStepMs = 30000;      // one page, box or process step
constexpr DWORD kInstallMs = 120000;  // a whole installation or removal

// A path of the build tree as Windows code sees it (Wine's drive Z: is the Linux root).
std::string WinPath(const char* linuxPath);
std::string DemoProduct();
std::string DemoLang();
std::string DemoBanner();
std::string SetupStub();

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);
bool SamePath(const std::string& a, const std::string& b);
// Polls every 25 ms.
template <class Pred>
bool WaitUntil(DWORD timeoutMs, Pred pred)
{
    DWORD start = ::GetTickCount();
    for (;;) {
        if (pred())
            return true;
        if (::GetTickCount() - start >= timeoutMs)
            return false;
        ::Sleep(25);
    }
}

// What the wizard is told on its way to the confirmation page.
struct Choices {
    int language = 0;           // list index on page 0; 0 = the first (Chinese)
    std::string directory;      // typed on page 3; empty keeps the proposal
    bool existingDirectory = false;  // the directory question is expected and answered Yes
    std::string group;          // typed on page 4; empty keeps the proposal
};

class E2eTest : public ::testing::Test {
protected:
    static constexpr const char* kDefaultDirectory = "c:\\Program Files\\Orvanta 4.00";
    static constexpr const char* kDefaultGroup = "Orvanta 4.00";
    static constexpr const char* kLinkName = "Orvanta 4.00";

    void SetUp() override;
    void TearDown() override;

    // The demo product packed with the demo lang.ini and banner (lang or banner empty:
    // left out), written below the scratch folder as name.exe.
    std::string Pack(const std::string& name, const std::string& product = DemoProduct(),
                     const std::string& lang = DemoLang());
    // A copy of the demo product below the scratch folder, for products a test changes.
    std::string CopyDemoProduct(const std::string& name);

    // Program groups, install directories and files this test may create; all go at the end.
    void Touches(const std::string& group) { groups_.push_back(group); }
    void TouchesDirectory(const std::string& directory) { directories_.push_back(directory); }

    // Walks pages 0 to 5 and stops on the confirmation page.
    void WalkToConfirm(SetupDriver& driver, const Choices& choices);
    // Next on the confirmation page, then waits for the finish page.
    void InstallFromConfirm(SetupDriver& driver);
    // Presses the finish page's button, the launch box ticked or not, and waits for the end.
    void LeaveFinishPage(SetupDriver& driver, bool launch);
    // The whole road: start, walk, install, leave without launching.
    void InstallDemo(const std::string& setup, const Choices& choices);

    // Installed files byte-identical, shortcuts and record as the demo's lang.ini asks.
    void ExpectInstalled(const std::string& directory, const std::string& group, const std::string& setup,
                         const std::string& product = DemoProduct());
    // No trace of an installation into directory and group: no record, no group, no link.
    void ExpectNothingInstalled(const std::string& directory, const std::string& group);

    static std::string GroupFolder(const std::string& group);
    static std::string DesktopLink();
    static std::string WorkInstallFolder();
    static void CleanProfile(const std::vector<std::string>& groups, const std::vector<std::string>& directories);

    testsupport::ScratchDir scratch_;

private:
    std::vector<std::string> groups_;
    std::vector<std::string> directories_;
};

// Lists of a tree compared as a person would: same entries, same bytes.
void ExpectSameTree(const std::string& expected, const std::string& actual);

} // namespace e2e
