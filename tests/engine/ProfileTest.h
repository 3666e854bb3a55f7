#pragma once
// Base of the engine's and the remover's tests. They touch the test prefix's profile (the
// working folder, the record, the Start menu, the desktop); each test starts and ends with
// none of ours. A hidden window plays the wizard frame and records every notice.
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
#include "framework/FileApi.h"
#include "framework/RegKey.h"
#include "framework/WideText.h"
#include "i18n/LanguageTable.h"
#include "remover/InstallRecordKey.h"
#include "remover/Remover.h"
#include "support/ScratchDir.h"
#include "tools/ContainerWriter.h"

using Names = std::vector<std::string>;

// A name ending in a separator is a folder; one outside ASCII is flagged UTF-8 unless it
// is undeclared (bytes of some code page). A damaged item is stored raw with another
// checksum or twice its size. An item with a patternSize holds that many Pattern() bytes
// instead, streamed, so it may be larger than memory.
struct TestZipItem {
    enum Damage { Sound, WrongCrc, CutShort };
    std::string name, data;
    Damage damage = Sound;
    uint64_t patternSize = 0;
    bool undeclared = false;
};


class ProfileTest : public ::testing::Test {
protected:
    static constexpr const char* kGroup = "OrvantaTest Group";
    static constexpr const char* kApp = "OrvantaTest App";

    void SetUp() override
    {
        frame = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        current = this;
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
        std::error_code error;
        for (const std::string& path : {UnpackFolder(), Group(), DesktopLink()})
            std::filesystem::remove_all(path, error);
        LanguageTable::Release();
    }

    // A fresh engine (and no notices yet) that installs into directory, in kGroup, with the
    // items as its payload and a lang.ini that names kApp and holds `more`, unpacked from
    // scratch\setup.exe (without the payload's checksum, as an older packer wrote it).
    InstallEngine& NewEngine(const std::string& directory, const std::vector<TestZipItem>& items = {},
                             const std::string& more = "")
    {
        engine.reset();
        notices.clear();
        std::string zip = Build(items, scratch.file("build.zip")), setup = scratch.file("setup.exe");
        std::string lang = std::string("[install]\r\ntitle=OrvantaTest Setup\r\ninstallname=") + kApp + "\r\n" + more;
        ContainerNode install = ContainerNode::Folder("install");
        install.children = {ContainerNode::File("Orva.in", {zip.rbegin(), zip.rend()}),
                            ContainerNode::File("lang.ini", {lang.begin(), lang.end()})};
        ContainerWriter writer(2);
        writer.AppendContainer({install});
        Save(setup, "MZ" + std::string(writer.Bytes().begin(), writer.Bytes().end()));
        engine = std::make_unique<InstallEngine>(setup);
        engine->SetFrameWindow(frame);
        engine->SetInstallDirectory(directory);
        engine->SetProgramGroup(kGroup);
        return *engine;
    }
    // The notices' codes by name, every run of chunks written once: "total begin chunk end".
    std::string Outline() const
    {
        static const char* const names[] = {"?", "chunk", "begin", "end", "cancel", "total", "done", "failed"};
        std::string outline;
        for (size_t i = 0; i < notices.size(); ++i)
            if (notices[i].code != NoticeChunk || i == 0 || notices[i - 1].code != NoticeChunk)
                outline += std::string(outline.empty() ? "" : " ") + names[notices[i].code & 7];
        return outline;
    }
    // For NoticeChunk the chunks' byte counts, for other codes their sizes, in order.
    std::vector<int32_t> Values(int32_t code) const
    {
        std::vector<int32_t> values;
        for (const ProgressNotice& notice : notices)
            if (notice.code == code)
                values.push_back(code == NoticeChunk ? notice.chunkBytes : notice.size);
        return values;
    }

    static std::string Group() { return InstallReport::ProgramsFolder() + "\\" + kGroup; }
    static std::string DesktopLink() { return InstallReport::DesktopFolder() + "\\" + kApp + ".lnk"; }
    static std::string UnpackFolder() { return LanguageTable::GetWorkFolder() + "install"; }
    // The tree of links that fixture.sh makes, reached through Wine's drive Z:.
    static std::string LinkDir()
    {
        const char* dir = std::getenv("ORVANTA_LINK_DIR");
        return dir ? std::filesystem::path(std::string("Z:") + dir).make_preferred().string() : "";
    }
    static void CreateRecord(const std::vector<std::pair<std::string, std::string>>& values)
    {
        ASSERT_TRUE(RegKey().Create(HKEY_CURRENT_USER, InstallRecordKey::Path));
        for (const auto& value : values)
            Remover::SetRecordValue(value.first, value.second);
    }
    // Paths are UTF-8, as the engine's.
    static bool Exists(const std::string& file) { return FileApi::Attributes(file) != INVALID_FILE_ATTRIBUTES; }
    static std::string Load(const std::string& path)
    {
        std::ifstream in(std::filesystem::path(WideText::FromUtf8(path)), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static bool Save(const std::string& path, const std::string& bytes)
    {
        return bool(std::ofstream(std::filesystem::path(WideText::FromUtf8(path)), std::ios::binary) << bytes);
    }
    // Each byte differs from its neighbours, so a misplaced one shows.
    static std::string Bytes(size_t count, unsigned seed)
    {
        std::string bytes(count, '\0');
        for (char& c : bytes)
            c = char((seed = seed * 1103515245u + 12345u) >> 23);
        return bytes;
    }
    // Changes every 4 KiB, so a misplaced chunk shows.
    static char Pattern(uint64_t offset) { return char('A' + (offset >> 12) % 23); }
    // The archive's bytes (file is written on the way); empty on failure.
    static std::string Build(const std::vector<TestZipItem>& items, const std::string& file)
    {
        zipFile zip = zipOpen64(file.c_str(), APPEND_STATUS_CREATE);
        bool ok = zip != nullptr;
        for (const TestZipItem& item : items) {
            bool folder = !item.name.empty() && (item.name.back() == '/' || item.name.back() == '\\');
            bool raw = item.damage != TestZipItem::Sound;
            bool utf8 = !item.undeclared
                        && std::any_of(item.name.begin(), item.name.end(), [](char c) { return c & 0x80; });
            int method = folder || raw ? 0 : Z_DEFLATED;
            zip_fileinfo info = {};
            info.external_fa = folder ? 0x10 : 0x20;
            ok = ok && zipOpenNewFileInZip4_64(zip, item.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, method,
                                               method ? Z_BEST_SPEED : 0, raw, -MAX_WBITS, DEF_MEM_LEVEL,
                                               Z_DEFAULT_STRATEGY, nullptr, 0, 20, utf8 ? 0x800 : 0,
                                               item.patternSize > 0) == ZIP_OK
                && zipWriteInFileInZip(zip, item.data.data(), unsigned(item.data.size())) == ZIP_OK;
            std::string block(item.patternSize ? 23 * 4096 * 10 : 0, '\0');  // whole periods of Pattern()
            for (size_t i = 0; i < block.size(); ++i)
                block[i] = Pattern(i);
            for (uint64_t at = 0; ok && at < item.patternSize; at += block.size()) {
                uint64_t count = std::min<uint64_t>(block.size(), item.patternSize - at);
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
    // Every file and folder below folder as the file system names it (FindFirstFileW), in
    // UTF-8, sorted; folders end with "\\".
    static Names WideTree(const std::string& folder)
    {
        Names names;
        WideWalk(WideText::FromUtf8(folder), L"", names);
        std::sort(names.begin(), names.end());
        return names;
    }
    // Creates root and, in order, each entry below it: a file holding its own name, or a
    // folder when the name ends in '\\'.
    static bool MakeTree(const std::string& root, const Names& entries)
    {
        bool ok = Exists(root) || FileApi::MakeFolder(root);
        for (const std::string& entry : entries) {
            std::string path = root + "\\" + entry;
            ok = ok && (path.back() == '\\' ? FileApi::MakeFolder(path) : Save(path, entry));
        }
        return ok;
    }

    testsupport::ScratchDir scratch;
    std::unique_ptr<InstallEngine> engine;
    std::vector<ProgressNotice> notices;
    // Called on this thread after each notice was recorded.
    std::function<void(const ProgressNotice&)> onNotice;

private:
    static void WideWalk(const std::wstring& root, const std::wstring& relative, Names& names)
    {
        WIN32_FIND_DATAW data;
        HANDLE find = ::FindFirstFileW((root + L"\\" + relative + L"*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE)
            return;
        do {
            std::wstring path = relative + data.cFileName;
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                names.push_back(WideText::ToUtf8(path));
            } else if (std::wstring(data.cFileName) != L"." && std::wstring(data.cFileName) != L"..") {
                names.push_back(WideText::ToUtf8(path) + "\\");
                WideWalk(root, path + L"\\", names);
            }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }

    static LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        const auto* notice = reinterpret_cast<const ProgressNotice*>(lParam);
        if (message != WM_INSTALL_PROGRESS || !notice)
            return ::DefWindowProcA(hwnd, message, wParam, lParam);
        current->notices.push_back(*notice);
        // The reaction gets a copy: it may send further notices, which grow the list.
        if (current->onNotice)
            current->onNotice(ProgressNotice(current->notices.back()));
        return 0;
    }

    static inline ProfileTest* current = nullptr;  // the test whose frame receives the notices
    HWND frame = nullptr;
};
