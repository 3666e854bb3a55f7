#pragma once
#include <string>
#include <vector>

// The shortcuts of an installation that left no install log: every .lnk at any depth
// below the Programs folders (all users' and the user's) and on the desktops (the user's
// and the common one) whose target is one of the product's files, by its full path. A
// link leading anywhere else into the install directory stays: the directory may be
// shared with other products and the user's documents. Links and junctions among the
// folders are never entered. A folder goes only when this search emptied it, and so, one
// by one, do the folders above it up to the Programs folder, which stays.
class ShortcutSearch {
public:
    // files: the product's files, relative to installDirectory.
    ShortcutSearch(const std::string& installDirectory, const std::vector<std::string>& files);

    void RemoveAll() const;

private:
    // True when something below folder went.
    bool RemoveBelow(const std::string& folder, bool deep) const;
    bool IsProductFile(const std::string& path) const;

    std::vector<std::wstring> files_;   // full paths
};
