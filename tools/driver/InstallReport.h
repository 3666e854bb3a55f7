#pragma once
#include <string>
#include <vector>

// What an installation left on the machine, read the way the setup wrote it: the record
// under HKCU\Software\Orvanta, the files, and the shortcuts with their targets.
struct ShortcutInfo {
    std::string target;
    std::string iconPath;
    int iconIndex = 0;
    unsigned short hotKey = 0;
    bool readable = false;
};

class InstallReport {
public:
    static bool RecordExists();
    static std::string RecordValue(const std::string& name);
    // Relative paths of every file and folder below folder, sorted; folders end with "\".
    static std::vector<std::string> ListTree(const std::string& folder);
    static ShortcutInfo ReadShortcut(const std::string& linkPath);
    static std::string ProgramsFolder();   // all-users Programs
    static std::string DesktopFolder();    // the user's desktop
    static std::string WorkFolder();       // the templates folder, the setup's working folder
    // All of the above as text, for people.
    static std::string Describe();
};
