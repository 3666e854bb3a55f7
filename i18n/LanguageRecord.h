#pragma once
// One language's wizard texts and font selector, filled completely by
// LanguageTable::FillRecord / FillCurrentRecord. The caller owns the record, normally
// on the stack for one handler call, and picks texts by identifier:
//
//     record.Text(TextId::FinishLaunch)
//
// Texts are UTF-8, the built-in ones included.
#include "i18n/TextId.h"

#include <array>
#include <string>

class LanguageRecord {
public:
    LanguageRecord() = default;
    virtual ~LanguageRecord() = default;

    // The text of a string identifier (TextId.h); an empty string for a number that is
    // no identifier. The reference lives as long as the record.
    const std::string& Text(int identifier) const;

    // Replaces the text of an identifier; a number that is no identifier is ignored.
    void SetText(int identifier, const std::string& text);

    // Font selector of the language: an even value picks the table's font 0, an odd one
    // font 1 (LanguageTable::GetLanguageFont).
    int font = 0;

    // The texts in record order (TextId::All): 10001 to 10030, then 20001 to 20008.
    std::array<std::string, TextId::Count> texts;
};
