#pragma once
#include <string>

#include "remover/InstallLog.h"
#include "remover/LoggedRemoval.h"

class ProductList;

// One removal of the installation in installDirectory. With the install log the directory
// holds: exactly what the log lists. Without one (an installation by an older setup), by
// the product list: the listed files and folders, the install directory once that leaves
// it empty, and the shortcuts ShortcutSearch finds. Either way the record goes when it
// names this directory, and files that an interrupted installation had replaced are put
// back first.
//
// The original Uninstall.exe is one of the listed files, runs from the directory and
// waits for the result, so the removal comes in two steps around its end.
class Uninstallation {
public:
    static constexpr const char ParkedName[] = "original.exe";

    Uninstallation(const std::string& installDirectory, const ProductList& list);
    Uninstallation(const Uninstallation&) = delete;
    Uninstallation& operator=(const Uninstallation&) = delete;

    // Everything but the original's file. Then that file is moved into parkFolder as
    // ParkedName when it can be (a running program's file may be renamed within its
    // volume), and the folders follow at once: the original ends with nothing of the
    // product left behind it. An empty parkFolder leaves the file in place. False when
    // something of the product stayed.
    bool RemoveAllButProgram(const std::string& parkFolder);

    // Once the original has ended: its file, wherever it is, and the folders still due.
    // False when something of the product stayed.
    bool RemoveRest();

    // True when files of an interrupted installation were put back.
    bool Recovered() const { return recovered_; }

private:
    bool ParkProgram(const std::string& parkFolder);
    void RemoveRecord() const;

    std::string directory_;
    bool logged_ = false;
    InstallLog log_;   // the install log, or one made of the product list
    LoggedRemoval removal_;
    std::string parked_;
    bool recovered_ = false;
    bool foldersRemoved_ = false;
};
