#pragma once
// Base of the engine's and the remover's tests. They touch the current user's profile in
// the test prefix: the working folder's install folder, the record HKCU\Software\Orvanta,
// program groups in the all-users Programs folder and links on the desktop; each test
// starts and ends with none of ours (all named "OrvantaTest ..."). The fixture also plays
// the wizard frame: a hidden window that records a copy of every progress notice.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "TestZip.h"
#include "engine/InstallEngine.h"
#include "i18n/LanguageTable.h"
#include "support/ScratchDir.h"

struct RecordedNotice {
    int32_t code;
    std::string name;
    int32_t chunkBytes;
    int32_t size;
};

class ProfileTest : public ::testing::Test {
protected:
    static constexpr const char* kGroup = "OrvantaTest Group";
    static constexpr const char* kApp = "OrvantaTest App";

    void SetUp() override;
    void TearDown() override;

    // A fresh engine (and no notices yet) that installs into directory, in kGroup, with the
    // archive as its payload (none when empty) and a lang.ini that names kApp and holds `more`.
    InstallEngine& NewEngine(const std::string& directory, std::string zip = "", const std::string& more = "");
    // The notices' codes by name, every run of chunks written once: "total begin chunk end".
    std::string Outline() const;
    // For NoticeChunk the chunks' byte counts, for other codes their sizes, in order.
    std::vector<int32_t> Values(int32_t code) const;

    static std::string ShellFolder(int csidl);  // with trailing backslash
    static std::string Group() { return ShellFolder(CSIDL_COMMON_PROGRAMS) + kGroup; }
    static std::string DesktopLink() { return ShellFolder(CSIDL_DESKTOP) + kApp + ".lnk"; }
    static std::string UnpackFolder() { return LanguageTable::GetWorkFolder() + "install"; }
    std::string Zip(const std::vector<TestZipItem>& items) { return TestZip::Build(items, scratch.file("build.zip")); }

    static bool RecordExists();
    static void CreateRecord(const std::vector<std::pair<std::string, std::string>>& values);
    static std::string RecordValue(const std::string& name);  // "<absent>" when missing

    // Names of the entries of a folder, sorted.
    static std::vector<std::string> Entries(const std::string& folder);
    static bool Exists(const std::string& path)
    {
        return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    // Creates root and, in order, each entry below it (a file holding its own name, or a
    // folder when the name ends in '\\').
    static bool MakeTree(const std::string& root, const std::vector<std::string>& entries);
    // Entries "f0", "f1", ...: enough of them make a removal take the remover's worker a while.
    static std::vector<std::string> Numbered(int count)
    {
        std::vector<std::string> names;
        for (int i = 0; i < count; ++i)
            names.push_back("f" + std::to_string(i));
        return names;
    }
    static void RemoveTree(const std::string& path)
    {
        std::error_code error;
        std::filesystem::remove_all(path, error);
    }

    testsupport::ScratchDir scratch;
    std::unique_ptr<InstallEngine> engine;
    std::vector<RecordedNotice> notices;
    // Called on this thread after each notice was recorded.
    std::function<void(const RecordedNotice&)> onNotice;

private:
    void Clean();
    static LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND frame = nullptr;
};
