#pragma once
#include "uninstaller/UninstallCommand.h"
#include "uninstaller/WorkFolder.h"

#include <string>

class ProductList;

// The run of Uninstall.exe. Its own folder is the install directory: no install record
// is needed, so the product can be removed also after the volatile record has gone with
// a restart. The original process checks the folder, asks, hands over to its copy
// (SelfHandover) and ends with the copy's exit code; the copy removes (Uninstallation),
// reports, and hands the code back.
class Uninstaller {
public:
    enum ExitCode { Done = 0, Incomplete = 1, Refused = 2 };

    explicit Uninstaller(const UninstallCommand& command);
    int Run();

private:
    // Texts in lang.ini's default language, caption its title, all UTF-8 from the language
    // table. Nothing under /S, not even a refusal: /S serves scripts, which a box would
    // stall; the exit code tells them.
    std::string Text(int textId) const;
    int Show(const std::string& text, UINT style) const;
    int Report(bool complete, bool recovered) const;
    int Refuse();
    int RemoveForOriginal(const ProductList& list);
    int RemoveHere(const ProductList& list);
    void CleanUp();

    UninstallCommand command_;
    std::string installDirectory_;
    WorkFolder workFolder_;
};
