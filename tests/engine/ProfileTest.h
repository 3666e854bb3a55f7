#pragma once
// Base of the engine's and the remover's tests. They touch the current user's profile in
// the test prefix: the working folder's install folder, the record HKCU\Software\Orvanta,
// program groups in the all-users Programs folder and links on the desktop; each test
// starts and ends with none of ours (all named "OrvantaTest ..."). The fixture also plays
// the wizard frame: a hidden window that records a copy of every progress notice, and it
// writes the payloads: ZIP archives made with minizip's zip writer.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>
#include <zip.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>

#include "InstallReport.h"
#include "engine/InstallEngine.h"
#include "framework/RegKey.h"
#include "i18n/LanguageTable.h"
#include "remover/InstallRecordKey.h"
#include "remover/Remover.h"
#include "support/ScratchDir.h"

using Names = std::vector<std::string>;

// A name ending in a separator is a folder. A damaged item is written raw: WrongCrc keeps
// the data and records another checksum, Undeflatable stores bytes that do not inflate,
// CutShort stores the data and records twice its size. An item with a patternSize holds
// that many Pattern() bytes instead, streamed, so it may be larger than memory.
struct TestZipItem {
    enum Damage { Sound, WrongCrc, Undeflatable, CutShort };
    std::string name;
    std::string data;
    Damage damage = Sound;
    bool utf8 = false;  // the name is flagged UTF-8
    uint64_t patternSize = 0;
};

namespace TestZip {

inline std::string Load(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline bool Save(const std::string& path, const std::string& bytes)
{
    return bool(std::ofstream(path, std::ios::binary) << bytes);
}

// Each byte differs from its neighbours, so a misplaced one shows.
inline std::string Bytes(size_t count, unsigned seed)
{
    std::string bytes(count, '\0');
    for (char& c : bytes)
        c = char((seed = seed * 1103515245u + 12345u) >> 23);
    return bytes;
}

// Changes every 4 KiB, so a misplaced chunk shows.
inline char Pattern(uint64_t offset)
{
    return char('A' + (offset >> 12) % 23);
}

// The archive's bytes (file is written on the way); empty on failure.
inline std::string Build(const std::vector<TestZipItem>& items, const std::string& file)
{
    zipFile zip = zipOpen64(file.c_str(), APPEND_STATUS_CREATE);
    bool ok = zip != nullptr;
    for (const TestZipItem& item : items) {
        bool folder = !item.name.empty() && (item.name.back() == '/' || item.name.back() == '\\');
        bool raw = item.damage != TestZipItem::Sound, undeflatable = item.damage == TestZipItem::Undeflatable;
        int method = folder || (raw && !undeflatable) ? 0 : Z_DEFLATED;
        std::string stored = undeflatable ? std::string(64, '\xFF') : item.data;
        zip_fileinfo info = {};
        info.external_fa = folder ? 0x10 : 0x20;
        ok = ok && zipOpenNewFileInZip4_64(zip, item.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, method,
                                           method ? Z_BEST_SPEED : 0, raw, -MAX_WBITS, DEF_MEM_LEVEL,
                                           Z_DEFAULT_STRATEGY, nullptr, 0, 20, item.utf8 ? 0x800 : 0,
                                           item.patternSize > 0) == ZIP_OK
            && zipWriteInFileInZip(zip, stored.data(), unsigned(stored.size())) == ZIP_OK;
        std::string block(item.patternSize ? 1 << 20 : 0, '\0');
        for (uint64_t at = 0; ok && at < item.patternSize; at += block.size()) {
            size_t count = size_t(std::min<uint64_t>(block.size(), item.patternSize - at));
            for (size_t i = 0; i < count; i += 4096)
                std::fill(block.begin() + i, block.begin() + std::min(count, i + 4096), Pattern(at + i));
            ok = zipWriteInFileInZip(zip, block.data(), unsigned(count)) == ZIP_OK;
        }
        uLong crc = crc32(0, reinterpret_cast<const Bytef*>(item.data.data()), uInt(item.data.size()));
        uLong size = uLong(item.data.size()) * (item.damage == TestZipItem::CutShort ? 2 : 1);
        ok = ok && (raw ? zipCloseFileInZipRaw(zip, size, item.damage == TestZipItem::WrongCrc ? ~crc : crc)
                        : zipCloseFileInZip(zip)) == ZIP_OK;
    }
    ok = zip != nullptr && zipClose(zip, nullptr) == ZIP_OK && ok;
    return ok ? Load(file) : std::string();
}

} // namespace TestZip

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
        for (const std::string& path : {UnpackFolder(), Group(), DesktopLink()})
            RemoveTree(path);
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
        TestZip::Save(langIni, std::string("[install]\r\ntitle=OrvantaTest Setup\r\ninstallname=") + kApp + "\r\n"
                                   + more);
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
    static bool Exists(const std::string& path)
    {
        return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    // Creates root and, in order, each entry below it: a file holding its own name, or a
    // folder when the name ends in '\\'.
    static bool MakeTree(const std::string& root, const Names& entries)
    {
        bool ok = Exists(root) || ::CreateDirectoryA(root.c_str(), nullptr);
        for (const std::string& entry : entries) {
            std::string path = root + "\\" + entry;
            ok = ok && (path.back() == '\\' ? ::CreateDirectoryA(path.c_str(), nullptr) : TestZip::Save(path, entry));
        }
        return ok;
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
