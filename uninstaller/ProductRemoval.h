#pragma once
#include <string>
#include <vector>

class ProductList;

// Removes one installation of the product from its install directory: exactly what the
// product list names, the shortcuts that lead into the directory, and the install record
// when it names this directory. Nothing else is touched: a file of the user's in the
// directory or in a program group stays, and so do the folders holding it.
class ProductRemoval {
public:
    explicit ProductRemoval(const std::string& installDirectory);

    // The listed files, then the listed folders deepest first and the install directory,
    // each folder only when it is empty. False when a listed file stayed.
    bool RemoveItems(const ProductList& list) const;

    // Every .lnk in the all-users Programs folder, in its groups one level down and on
    // the user's and the common desktop whose target lies inside the install directory;
    // a group folder that this leaves empty goes too.
    void RemoveShortcuts() const;

    // HKCU\Software\Orvanta, when its "InstallPath" names the install directory.
    void RemoveRecord() const;

    // True when path lies strictly inside folder (full paths, compared case-insensitively
    // as the file system does, double-byte characters respected).
    static bool IsInside(const std::string& path, const std::string& folder);
    static bool IsSameFolder(const std::string& a, const std::string& b);

private:
    // Deletes the links in folder that lead inside the install directory; true when one went.
    bool RemoveLinksIn(const std::string& folder) const;

    std::string installDirectory_;
};
