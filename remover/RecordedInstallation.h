#pragma once
#include <string>

// The installation the record names, read and checked before anything is done with it.
// Any process of the user can write the record, so its values meet the same rules as the
// wizard's choices before they lead to a repair or a removal: an absolute install
// directory the removal guard does not refuse, and a program group strictly below the
// Programs folder. A record that breaks a rule is taken as no record at all.
class RecordedInstallation {
public:
    // False when there is no record, it names no install directory, or a value breaks a
    // rule; every field is then empty.
    bool Read();

    static bool IsUsableDirectory(const std::string& directory);
    static bool IsUsableGroup(const std::string& group);

    std::string directory;
    std::string group;        // below the all-users Programs folder; may be empty
    std::string desktopName;  // the desktop link's name without ".lnk"; may be empty
};
