#pragma once
// The packer's tests share one product folder, stub, lang.ini and banner, made fresh for
// each test in its own scratch folder.
#include "container/TestFiles.h"
#include "support/ScratchDir.h"
#include "tools/PeImage.h"
#include "tools/SetupBuilder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

namespace packertest {

namespace fs = std::filesystem;
using testfiles::Bytes;
using testfiles::RandomBytes;

const char kTable[] = "\xE4\xB9\x97";                        // 乗, 81 5C in code page 936
const char kReadme[] = "\xE4\xB8\x84.txt";                  // 丄.txt, 81 41 in code page 936

struct Heard : BuildListener {
    void Warning(const std::string& text) override { warnings += text + "\n"; }
    void Zipped(uint64_t, uint64_t, uint64_t, uint64_t) override {}
    std::string warnings;
};

class PackerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(product / "bin");
        fs::create_directories(product / "empty");
        testfiles::Write(product / "terminal.exe", RandomBytes(40000, 1));
        testfiles::Write(product / "terminal.ico", RandomBytes(700, 3));
        fs::create_directories(product / fs::u8path(kTable));
        testfiles::Write(product / fs::u8path(kTable) / fs::u8path(kReadme), Bytes("cn"));
        testfiles::Write(product / "Uninstall.exe", RandomBytes(3000, 2));
        testfiles::Write(product / "bin" / "readme.txt", Bytes("read me\r\n"));
        testfiles::Write(stub, stubBytes);
        testfiles::Write(lang, langBytes);
        testfiles::Write(banner, bannerBytes);
    }

    SetupInputs Inputs(const std::string& out, const fs::path& from = {}) const
    {
        return SetupInputs{stub.string(), (from.empty() ? product : dir.path() / from).string(), lang.string(),
                           banner.string(), (dir.path() / out).string()};
    }

    // The build is refused with every one of messages in its error, and no setup is written.
    static void ExpectRefused(const SetupInputs& inputs, std::initializer_list<std::string> messages)
    {
        std::string error;
        EXPECT_FALSE(SetupBuilder::BuildSetup(inputs, error)) << *messages.begin();
        for (const std::string& message : messages)
            EXPECT_NE(error.find(message), std::string::npos) << error;
        EXPECT_FALSE(fs::exists(inputs.out)) << *messages.begin();
    }

    testsupport::ScratchDir dir;
    std::string error;
    fs::path product = dir.path() / "product";
    fs::path stub = dir.path() / "stub.exe";
    fs::path lang = dir.path() / "lang.ini";
    fs::path banner = dir.path() / "top_log.bmp";
    std::vector<uint8_t> stubBytes = testfiles::MarkedPe(PeImage::SetupMarker, 5000);
    std::vector<uint8_t> langBytes = Bytes("[lang]\r\ncount=1\r\n[lang1]\r\n");
    std::vector<uint8_t> bannerBytes = RandomBytes(1500, 8);
};

// The bytes of a UTF-16 text in little-endian order, as the compiler encodes the literal.
inline std::vector<uint8_t> Utf16Le(const std::u16string& text)
{
    std::vector<uint8_t> bytes;
    for (char16_t unit : text) {
        bytes.push_back(uint8_t(unit));
        bytes.push_back(uint8_t(unit >> 8));
    }
    return bytes;
}

} // namespace packertest
