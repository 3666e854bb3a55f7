#pragma once
#include <string>

// What goes into one setup. product is a folder (zipped reproducibly) or a ready ZIP
// archive; lang and banner are optional (empty: the entry is left out).
struct SetupInputs {
    std::string stub;
    std::string product;
    std::string lang;
    std::string banner;
    std::string out;
};

// Writes stub + container: one top-level directory "install" at offset 0 whose region holds
// Orva.in (the product archive byte-reversed), lang.ini and top_log.bmp in that order and
// then its nested list (records in the same order); both lists have base = the stub's
// length. A product without Uninstall.exe gets the generic one from beside the stub
// (ProductUninstaller). The same inputs give the same bytes.
class SetupBuilder {
public:
    static bool BuildSetup(const SetupInputs& inputs, std::string& error);
};
