#pragma once
#include <windows.h>

#include <string>

// The product's entry in Windows' list of installed programs (Settings, Apps; Control
// Panel, Programs and Features): a key below ...\CurrentVersion\Uninstall. The engine
// writes it after the record; the generic uninstaller removes it.
//
// The key's name is "Orvanta", the same for every version: a later version then replaces
// the entry of an earlier one instead of adding a second line to the list, as the one
// record key Software\Orvanta already holds one installation per user.
class UninstallEntry {
public:
    static constexpr const char Path[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvanta";
    // The machine's entry lives in the 64-bit view, where the list looks first.
    static constexpr REGSAM MachineView = KEY_WOW64_64KEY;

    struct Values {
        std::string title;       // DisplayName
        std::string publisher;   // Publisher
        std::string address;     // URLInfoAbout
        std::string version;     // DisplayVersion; not written when empty
        std::string directory;   // InstallLocation, without a trailing backslash
        unsigned long long payloadBytes = 0;   // EstimatedSize, in KiB rounded up
        std::string date;        // InstallDate, YYYYMMDD
    };

    // Writes the entry below HKEY_LOCAL_MACHINE, or below HKEY_CURRENT_USER when the
    // machine's key cannot be written (no administrator rights). The root written, or
    // null when neither could be.
    static HKEY Write(const Values& values);
    // Today's local date as InstallDate wants it.
    static std::string Today();
    // Removes the entry of each root whose InstallLocation is directory (compared as full
    // paths, ignoring case), and no other: the entry may belong to another installation.
    // True when no entry for directory stays.
    static bool RemoveFor(const std::string& directory);
};
