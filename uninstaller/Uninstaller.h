#pragma once
#include "uninstaller/UninstallCommand.h"

#include <string>

class ProductList;

// The run of Uninstall.exe. Its own folder is the install directory: no install record
// is needed, so the product can be removed also after the volatile record has gone with
// a restart. The original process checks the folder, asks, and hands over to its copy
// (SelfHandover); the copy removes (ProductRemoval) and reports.
class Uninstaller {
public:
    enum ExitCode { Done = 0, Incomplete = 1, Refused = 2 };

    explicit Uninstaller(const UninstallCommand& command);
    int Run();

private:
    // Texts in lang.ini's default language, caption its title. Nothing under /S, not even
    // a refusal: /S serves scripts, which a box would stall; the exit code tells them.
    int Show(int textId, const std::string& detail, UINT style) const;
    int Refuse();
    int RemoveProduct(const ProductList& list);
    void CleanUp() const;

    UninstallCommand command_;
    std::string installDirectory_;
    std::string workFolder_;
};
