#pragma once
// The process-wide language table over lang.ini: the wizard's texts in one or more
// languages, the install settings and the extra shortcuts. The only texts it keeps are
// those of the last language record it filled (RecordCache), and every query checks the
// file against them or reads it (ProfileFile), so a change of file or of the current
// language shows at the next query. It also owns the two label fonts and resolves the
// working folder.
//
// lang.ini sections: "lang" (count, default, lang1..), "lang<n>" (font, langid and the
// texts under their identifiers, TextId.h), "install" (InstallSettings.h) and "link"
// (count, link1.. as "name#target"). Texts, names and paths are UTF-8 (ProfileFile.h
// says how the file is read).
//
// Threads: created and pointed at its file on the user-interface thread before any
// worker exists; afterwards the only state written is the current language (by the
// user-interface thread), and every read is one self-contained profile read.
#include "framework/CFont.h"
#include "i18n/InstallSettings.h"
#include "i18n/LanguageRecord.h"
#include "i18n/LinkEntry.h"
#include "i18n/ProfileFile.h"
#include "i18n/RecordCache.h"

#include <atomic>
#include <string>
#include <vector>

class LanguageTable : public ProfileFile {
public:
    // The table, created on the first call: fonts made, file set to
    // GetExeDirectory() + "\install\lang.ini", current language = GetPreferredLanguage().
    static LanguageTable* Instance();
    // Deletes the table with its fonts; the next Instance() creates a new one.
    static void Release();

    LanguageTable(const LanguageTable&) = delete;
    LanguageTable& operator=(const LanguageTable&) = delete;

    int GetLanguageCount() const;   // [lang] count, default 0
    int GetDefaultLanguage() const; // [lang] default, default 1
    // Appends the display names of languages 1 to count; a missing name appends an
    // empty entry, so list index i stands for language i + 1.
    void GetLanguageNames(std::vector<std::string>& names) const;

    // The language offered first to a user whose user-interface language is userLanguage:
    // the first of languages 1 to count whose "langid" (a decimal LANGID, 1033 for
    // English (United States)) equals it; else the first whose langid has its primary
    // language (any English for 2057, English (United Kingdom)); else "default". The one
    // place of this rule.
    int ChooseLanguage(LANGID userLanguage) const;
    // ChooseLanguage for the user's user-interface language (GetUserDefaultUILanguage).
    int GetPreferredLanguage() const;

    // Stores the 1-based language number without any check; a number without a
    // section yields the built-in texts.
    void SetCurrentLanguage(int language);
    int GetCurrentLanguage() const;

    // Fills every field of record from section "lang<language>": the font selector
    // (default 0) and each text (default: its built-in text).
    void FillRecord(int language, LanguageRecord& record) const;
    void FillCurrentRecord(LanguageRecord& record) const;
    // One text of section "lang<language>" (default: its built-in text), for texts
    // outside the wizard's record such as the uninstaller's.
    std::string ReadText(int language, int identifier) const;

    // Label font of the current language, chosen by its font selector; owned by the table.
    CFont* GetLanguageFont();
    // Font of content controls (lists, licence text, group name): always font 0.
    CFont* GetFixedFont();

    void ReadInstallSettings(InstallSettings& settings) const;

    int GetLinkCount() const; // [link] count, default 0
    // Appends the entries of section "link" that hold a "#" after at least one byte;
    // others are skipped.
    void ReadLinks(std::vector<LinkEntry>& links) const;

    // The current user's templates folder with a trailing backslash, resolved at every
    // call; empty when it cannot be resolved.
    static std::string GetWorkFolder();

    // source with every occurrence of pattern replaced, left to right, without overlap,
    // never searching inserted text again; an empty pattern returns source unchanged.
    static std::string ReplaceAll(const std::string& source, const std::string& pattern,
                                  const std::string& replacement);

private:
    LanguageTable();
    ~LanguageTable() override = default;

    static LanguageTable* instance_;

    std::atomic<int> currentLanguage_{1};
    // Filled records, checked against the file at every query (RecordCache.h).
    mutable RecordCache cache_;
    CFont fonts_[2];
};
