#pragma once
// Base of the engine's and the remover's tests. They touch the current user's profile in
// the test prefix: the working folder's install folder, the record HKCU\Software\Orvanta,
// program groups in the all-users Programs folder and links on the desktop; each test
// starts and ends with none of ours (all named "OrvantaTest ..."). The fixture also plays
// the wizard frame: a hidden window that records a copy of every progress notice.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>

#include "InstallReport.h"
#include "TestZip.h"
#include "engine/InstallEngine.h"
#include "framework/RegKey.h"
#include "i18n/LanguageTable.h"
#include "remover/InstallRecordKey.h"
#include "remover/Remover.h"
#include "support/ScratchDir.h"

using Names = std::vector<std::string>;

class ProfileTest : public ::testing::Test {
protected:
    static constexpr const char* kGroup = "OrvantaTest Group";
    static constexpr const char* kApp = "OrvantaTest App";

    void SetUp() override
    {
        frame = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ::SetWindowLongPtrA(frame, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ::SetWindowLongPtrA(frame, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ProfileTest::FrameProc));
        Clean();
    }
    void TearDown() override
    {
        Clean();
        ::DestroyWindow(frame);
    }
    void Clean()
    {
        engine.reset();
        Remover::DestroyInstance();
        ::SHDeleteKeyA(HKEY_CURRENT_USER, InstallRecordKey::Path);
        RemoveTree(UnpackFolder());
        for (const std::string& folder : {InstallReport::ProgramsFolder(), InstallReport::DesktopFolder()}) {
            for (const std::string& name : InstallReport::ListTree(folder)) {
                if (name.rfind("OrvantaTest", 0) == 0)
                    RemoveTree(folder + "\\" + name);
            }
        }
        LanguageTable::Release();
    }

    // A fresh engine (and no notices yet) that installs into directory, in kGroup, with the
    // items as its payload (none without items) and a lang.ini that names kApp and holds `more`.
    InstallEngine& NewEngine(const std::string& directory, const std::vector<TestZipItem>& items = {},
                             const std::string& more = "")
    {
        engine.reset();
        notices.clear();
        engine = std::make_unique<InstallEngine>(scratch.file("none.exe"));
        engine->SetFrameWindow(frame);
        engine->SetInstallDirectory(directory);
        engine->SetProgramGroup(kGroup);
        ::CreateDirectoryA(UnpackFolder().c_str(), nullptr);
        std::string zip = items.empty() ? "" : TestZip::Build(items, scratch.file("build.zip"));
        if (!zip.empty())
            TestZip::Save(UnpackFolder() + "\\Orva.in", std::string(zip.rbegin(), zip.rend()));
        std::string langIni = UnpackFolder() + "\\lang.ini";
        TestZip::Save(langIni, std::string("[install]\r\ntitle=OrvantaTest Setup\r\ninstallname=") + kApp + "\r\n" + more);
        // The same path is rewritten within moments; the system must not serve its cached copy.
        ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, langIni.c_str());
        return *engine;
    }
    // The notices' codes by name, every run of chunks written once: "total begin chunk end".
    std::string Outline() const
    {
        static const char* const names[] = {"?", "chunk", "begin", "end", "cancel", "total", "done", "failed"};
        std::string outline;
        for (size_t i = 0; i < notices.size(); ++i) {
            if (notices[i].code != NoticeChunk || i == 0 || notices[i - 1].code != NoticeChunk)
                outline += std::string(outline.empty() ? "" : " ") + names[notices[i].code & 7];
        }
        return outline;
    }
    // For NoticeChunk the chunks' byte counts, for other codes their sizes, in order.
    std::vector<int32_t> Values(int32_t code) const
    {
        std::vector<int32_t> values;
        for (const ProgressNotice& notice : notices) {
            if (notice.code == code)
                values.push_back(code == NoticeChunk ? notice.chunkBytes : notice.size);
        }
        return values;
    }

    static std::string Group() { return InstallReport::ProgramsFolder() + "\\" + kGroup; }
    static std::string DesktopLink() { return InstallReport::DesktopFolder() + "\\" + kApp + ".lnk"; }
    static std::string UnpackFolder() { return LanguageTable::GetWorkFolder() + "install"; }
    // The tree of links that fixture.sh makes, reached through Wine's drive Z:; empty without it.
    static std::string LinkDir()
    {
        const char* unixDir = std::getenv("ORVANTA_LINK_DIR");
        std::string dir = unixDir ? std::string("Z:") + unixDir : "";
        std::replace(dir.begin(), dir.end(), '/', '\\');
        return dir;
    }
    static void CreateRecord(const std::vector<std::pair<std::string, std::string>>& values)
    {
        RegKey key;
        ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, InstallRecordKey::Path));
        for (const auto& value : values)
            key.SetString(value.first.c_str(), value.second);
    }
    static bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
    // Creates root and, in order, each entry below it: a file holding its own name, or a
    // folder when the name ends in '\\'. A number instead of names makes that many files,
    // enough of which make a removal take the remover's worker a while.
    static bool MakeTree(const std::string& root, Names entries)
    {
        bool ok = Exists(root) || ::CreateDirectoryA(root.c_str(), nullptr);
        for (const std::string& entry : entries) {
            std::string path = root + "\\" + entry;
            ok = ok && (path.back() == '\\' ? ::CreateDirectoryA(path.c_str(), nullptr) : TestZip::Save(path, entry));
        }
        return ok;
    }
    static bool MakeTree(const std::string& root, int files)
    {
        Names names;
        for (int i = 0; i < files; ++i)
            names.push_back("f" + std::to_string(i));
        return MakeTree(root, names);
    }
    static void RemoveTree(const std::string& path)
    {
        std::error_code error;
        std::filesystem::remove_all(path, error);
    }

    testsupport::ScratchDir scratch;
    std::unique_ptr<InstallEngine> engine;
    std::vector<ProgressNotice> notices;
    // Called on this thread after each notice was recorded.
    std::function<void(const ProgressNotice&)> onNotice;

private:
    static LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<ProfileTest*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        const auto* notice = reinterpret_cast<const ProgressNotice*>(lParam);
        if (message != WM_INSTALL_PROGRESS || !self || !notice)
            return ::DefWindowProcA(hwnd, message, wParam, lParam);
        self->notices.push_back(*notice);
        // The reaction gets a copy: it may send further notices, which grow the list.
        if (self->onNotice)
            self->onNotice(ProgressNotice(self->notices.back()));
        return 0;
    }

    HWND frame = nullptr;
};
