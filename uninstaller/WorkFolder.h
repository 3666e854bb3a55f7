#pragma once
#include <string>

#include "framework/HeldFolder.h"

// The folder below the temporary folder that the uninstaller unpacks into and starts its
// copy from. Anyone may create folders in the temporary folder, so the folder is always
// made by this run, under a name nobody can guess, and never taken over: one prepared
// there in advance could hold a DLL or a program of somebody else's. An administrator's
// run makes it writable by administrators only (AdminOnlySecurity), and the object holds
// it (HeldFolder) from its creation on, so that nobody can put another in its place.
class WorkFolder {
public:
    static constexpr const char Prefix[] = "OrvantaUninstall-";

    // Makes a new folder Prefix + 32 random hexadecimal digits below parent and holds it.
    // False when none could be made.
    bool Create(const std::string& parent, bool adminOnly);
    // Holds a folder an earlier run made (the copy's own).
    bool Hold(const std::string& path);
    // Lets go of the folder and deletes it with everything in it.
    void Remove();

    const std::string& Path() const { return path_; }
    // The temporary folder without a trailing backslash; empty when there is none.
    static std::string TempFolder();

private:
    std::string path_;
    HeldFolder held_;
};
