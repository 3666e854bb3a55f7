#pragma once
// The texts a person reads on every page of the wizard, and the walks that read them back
// from the windows (in UTF-16, handed over in UTF-8): what the setup shows must be the very
// text of the language, whatever the code page of the machine.
#include "E2eFixture.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace e2e {

// One language's texts as the pages compose them.
struct PageTexts {
    std::string languagesLabel, welcome, licencePrompt, licenceAccept, directoryPrompt, directoryGroup, browse,
        directoryExists, groupPrompt, confirm, progress, copying, allFiles, finish, launch, closeQuestion, cancelled,
        back, next, cancel, close;
};

// What the setup's lang.ini says beside the texts, as the wizard shows it.
struct SetupTexts {
    std::string title, publisher, agreement, directory, group;
    std::vector<std::string> languageNames;
    std::vector<PageTexts> languages;   // in list order
    int offered = 0;                    // list index of the language the wizard offers first
    std::string uninstallQuestion, uninstalled;   // 30001, 30002 of the default language
};

// The keys and values of one section of a lang.ini in UTF-8, read here on their own: a
// value's surrounding quotes go, as the profile functions drop them.
std::map<std::string, std::string> IniSection(const std::string& ini, const std::string& section);
// The pages' texts from the single texts by identifier ("10001"..., "20001"...), put
// together as the pages show them.
PageTexts Compose(const std::map<std::string, std::string>& texts);
// The agreement as the licence page shows it: states with "#" as line breaks, indented.
std::string Agreement(const std::string& states);

class TextWalkTest : public E2eTest {
protected:
    // Every page from the language page to the progress page in language (list index),
    // the directory question on an existing folder, then the abandon question and the
    // cancel page. setup must install slowly enough to be abandoned (a large last file).
    void WalkToCancelPage(const std::string& setup, const SetupTexts& expected, int language);
    // An installation in language whose finish page is read, then Uninstall.exe asked.
    void InstallAndRemove(const std::string& setup, const SetupTexts& expected, int language);
    // The demo product with a large last file, packed with lang.
    std::string PackSlow(const std::string& name, const std::string& lang, bool langUtf8 = false);
    std::string PackWith(const std::string& name, const std::string& product, const std::string& lang, bool langUtf8);

    // Windows take their texts when they paint: waits briefly for shown() to give
    // expected, then compares.
    static void ExpectShown(const std::function<std::string()>& shown, const std::string& expected,
                            const std::string& what);
    // The same for a control of the visible page, else of the frame.
    static void ExpectText(SetupDriver& d, int id, const std::string& expected, const char* what);
    static void ExpectButtons(SetupDriver& d, const PageTexts& texts, bool closing = false);
};

} // namespace e2e
