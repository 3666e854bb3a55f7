#pragma once
#include <string>
#include <vector>

// What an installation left on the machine, read the way the setup wrote it: the
// install record under HKCU\Software\Orvanta, the files below the install directory,
// and the shortcuts in the program group and on the desktop with their targets.
struct ShortcutInfo {
    std::string path;
    std::string target;
    std::string iconPath;
    int iconIndex = 0;
    unsigned short hotKey = 0;
    bool readable = false;
};

class InstallReport {
public:
    static std::string RecordValue(const std::string& name);
    static bool RecordExists();
    // Relative paths of every file and folder below folder, sorted; folders end with "\".
    static std::vector<std::string> ListTree(const std::string& folder);
    static ShortcutInfo ReadShortcut(const std::string& linkPath);
    static std::string ProgramsFolder();   // all-users Programs, no trailing backslash
    static std::string DesktopFolder();    // the user's desktop, no trailing backslash
    static std::string WorkFolder();       // the templates folder, no trailing backslash

    // A readable summary of all of the above, for people.
    static std::string Describe();
};
