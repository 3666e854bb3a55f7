#pragma once
#include <string>
#include <vector>

// The installation that the setup recorded under HKCU\Software\Orvanta, and its removal.
// Only what the setup put there is removed: the product's own files, its shortcuts, and
// then each folder only if nothing else is left in it, so a directory or program group
// the user chose that already held other things keeps them.
class InstalledProduct {
public:
    // Reads the record. False when there is none or it names no install directory.
    bool Load();

    const std::string& InstallPath() const { return installPath_; }
    const std::string& Title() const { return title_; }

    // Removes files, shortcuts, emptied folders and the record. Returns false when
    // something stayed (a file in use, access denied); what could go is gone.
    bool Remove();

private:
    static std::string ReadValue(const char* name);
    static std::string ShellFolder(int csidl);
    static bool DeleteIfPresent(const std::string& path);
    static void RemoveEmptyFolders(const std::string& root, const std::vector<std::string>& relative);

    std::string installPath_;
    std::string programGroup_;
    std::string desktopName_;
    std::string title_;
};
