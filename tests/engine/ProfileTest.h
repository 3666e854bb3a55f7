#pragma once
// Base of the engine tests that touch the current user's profile in the test prefix: the
// working folder's install folder, the record HKCU\Software\Orvanta, program groups in
// the all-users Programs folder and links on the desktop. Each test starts and ends with
// none of them; groups and desktop links named by the test are removed again.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "support/ScratchDir.h"

struct LinkInfo {
    bool loaded = false;
    std::string path;
    std::string iconPath;
    int iconIndex = -1;
    WORD hotkey = 0;
};

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Names of program groups and desktop links (without ".lnk") the test makes.
    void Owns(const std::string& group, const std::string& desktopLink);

    static std::string WorkFolder();          // with trailing backslash
    static std::string UnpackFolder();        // the working folder's "install", no backslash
    static std::string ProgramsFolder();      // with trailing backslash
    static std::string DesktopFolder();       // with trailing backslash
    // Puts the archive bytes reversed into the unpack folder as Orva.in.
    static void PutPayload(const std::string& zipBytes);
    static void PutLangIni(const std::string& text);

    static void DeleteRecord();
    static bool RecordExists();
    static void CreateRecord(const std::vector<std::pair<std::string, std::string>>& values);
    // Names of the record's values, in enumeration order.
    static std::vector<std::string> RecordValueNames();
    static std::string RecordValue(const std::string& name);

    static LinkInfo ReadLink(const std::string& path);
    // Names of the entries of a folder, sorted.
    static std::vector<std::string> Entries(const std::string& folder);
    static bool Exists(const std::string& path);
    static std::string ReadFileText(const std::string& path);
    static void RemoveTree(const std::string& path);

    testsupport::ScratchDir scratch;

private:
    std::vector<std::string> groups;
    std::vector<std::string> desktopLinks;
};
