#pragma once
// Base of the wizard and page tests: a clean profile before and after (no record, no
// unpacked install folder, no program group or desktop link of the test product), and a
// fresh language table over the lang.ini a test chooses: read from a file (UseLangIni)
// or packed with a small product into a setup that a real engine opens (MakeEngine).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "FrameDriver.h"
#include "engine/InstallEngine.h"
#include "i18n/BuiltinTexts.h"
#include "support/ScratchDir.h"

class WizardFixture : public ::testing::Test {
protected:
    static constexpr const char* kTitle = "Wizard Test 1.0";
    static constexpr const char* kGroup = "Orvanta Wizard Test Group";
    static constexpr const char* kInstallName = "OrvantaWizardTest";

    void SetUp() override;
    void TearDown() override;

    // Language 1 with the built-in texts, language 2 with "E<id>" for every text and font
    // 1, and the test product's settings.
    std::string LangIni() const;
    void UseLangIni(const std::string& bytes);
    // A setup packed from a 10- and a 30-byte file and a real engine over it, owned by the
    // application object.
    InstallEngine* MakeEngine(const std::string& lang);
    std::string InstallDir() const { return scratch.file(kInstallName); }

    static std::string Builtin(int id) { return BuiltinTexts::Get(id); }
    static std::string Gbk(const std::string& utf8);   // code page 936 bytes of UTF-8 text
    static std::string ProgramsFolder();   // with a trailing backslash
    static bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
    static bool RecordExists();
    // The finish or cancel page with its one button, which now ends the setup, in a frame
    // that still answers.
    static void ExpectEndPage(FrameDriver& d, int page = WizardFrame::CancelIndex);

    testsupport::ScratchDir scratch;
};
