#pragma once
#include <string>
#include <vector>

#include "remover/InstallLog.h"

// Removes one installation exactly as its install log lists it, from the directory the
// log lies in. Nothing the log does not name is touched, no folder goes unless the log
// says the installation created it and it is empty, and no link is ever entered: an entry
// below a link is skipped, and a listed entry that is itself a link is removed as a link.
//
// Each listed name is checked before use, so a damaged or planted log can only ever
// remove less: files and folders must lie below the directory, parents must be folders
// above it, the group must lie strictly below a Programs folder, and a shortcut must be a
// ".lnk" in a Programs folder or on a desktop whose target lies inside the directory.
class LoggedRemoval {
public:
    LoggedRemoval(const std::string& directory, const InstallLog& log);

    // The listed shortcuts, then the listed files except those named in `keep` (relative
    // names, compared as the file system does). False when a listed file or shortcut
    // that exists could not be deleted.
    bool RemoveFiles(const std::vector<std::string>& keep = {});

    // Then the log itself, the listed folders deepest first, the directory and its
    // created parents innermost first, and the group; each folder only when the log says
    // it was created and only when it is empty.
    void RemoveFolders();

    // Both steps, for the callers that keep nothing.
    bool RemoveAll();

private:
    bool IsBelowLink(const std::string& relative);
    bool RemoveShortcut(const std::string& path);
    void RemoveCreatedGroup(const std::string& group);

    std::string directory_;
    InstallLog log_;
    std::vector<std::wstring> checkedFolders_;  // relative folders known not to be links
};
