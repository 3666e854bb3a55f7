#pragma once
// One extra shortcut of section "link" of lang.ini ("name#target"), read by
// LanguageTable::ReadLinks.
#include <string>

struct LinkEntry {
    std::string shortcutName; // the shortcut is created as shortcutName + ".lnk"
    std::string target;       // path relative to the install directory; may be empty
};
