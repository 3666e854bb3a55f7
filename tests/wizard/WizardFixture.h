#pragma once
// Base of the wizard tests: a setup packed with packer_core from a small product and a
// test lang.ini, a real engine over it, and a clean profile before and after (no record,
// no unpacked install folder, no program group or desktop link of the test product).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "support/ScratchDir.h"

class InstallEngine;

class WizardFixture : public ::testing::Test {
protected:
    static constexpr const char* kTitle = "Wizard Test 1.0";
    static constexpr const char* kGroup = "Orvanta Wizard Test Group";
    static constexpr const char* kInstallName = "OrvantaWizardTest";

    void SetUp() override;
    void TearDown() override;

    // The lang.ini of the packed setup; tests may change it before MakeEngine.
    std::string LangIni() const;
    // Packs a setup (stub + container) from the product folder and lang; returns its path.
    std::string PackSetup(const std::string& lang, size_t bigFileBytes = 0);
    // A real engine over a freshly packed setup; owned by the application object.
    InstallEngine* MakeEngine(const std::string& lang, size_t bigFileBytes = 0);

    std::string InstallDir() const { return scratch.file(kInstallName); }

    static std::string WorkFolder();
    static bool Exists(const std::string& path);
    static void DeleteRecord();
    static bool RecordExists();
    static void WriteRecord(const std::vector<std::pair<std::string, std::string>>& values);
    static std::string RecordValue(const std::string& name);
    static void RemoveTree(const std::string& path);
    static std::string ProgramsFolder();
    static std::string DesktopFolder();

    testsupport::ScratchDir scratch;
};
