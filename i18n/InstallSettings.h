#pragma once
// The settings of section "install" of lang.ini, filled by
// LanguageTable::ReadInstallSettings. Each field is named after its key.
#include <string>

struct InstallSettings {
    std::string title;       // wizard and message-box caption; recorded setup name
    std::string group;       // proposed program group
    std::string linkfrom;    // text of the publisher hyperlink
    std::string linkto;      // target the publisher hyperlink opens
    std::string installpath; // parent folder of the proposed install directory, ends with "\"
    std::string installname; // last component of the install directory; shortcut name
    std::string states;      // licence text, every "#" already turned into CR LF
    std::string version;     // the product's version for the list of installed programs; may be empty
};
