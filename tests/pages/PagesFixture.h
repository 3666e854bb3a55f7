#pragma once
// Each test gets its own lang.ini (or none) in a fresh folder and starts in language 1.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "i18n/LanguageTable.h"
#include "pages/PageHost.h"
#include "support/ScratchDir.h"

namespace pagetest {

class PagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        table = LanguageTable::Instance();
        table->SetFile(scratch.file("absent.ini"));
        table->SetCurrentLanguage(1);
    }
    void TearDown() override
    {
        table->SetFile(scratch.file("absent.ini"));
        table->SetCurrentLanguage(1);
    }

    // Writes lang.ini byte for byte and makes the table read it.
    void UseLangIni(const std::string& bytes)
    {
        std::string path = scratch.file("lang.ini");
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        table->SetFile(path);
    }

    // A second language whose every text is "E" followed by its identifier.
    static std::string TaggedLanguage(const std::string& section, int font)
    {
        std::string ini = "[" + section + "]\r\nfont=" + std::to_string(font) + "\r\n";
        for (int id : TextId::All)
            ini += std::to_string(id) + "=E" + std::to_string(id) + "\r\n";
        return ini;
    }

    testsupport::ScratchDir scratch;
    LanguageTable* table = nullptr;
};

} // namespace pagetest
