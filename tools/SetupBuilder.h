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
// Orva.in (the product archive byte-reversed), lang.ini, top_log.bmp and Orva.in.crc32 in
// that order and then its nested list (records in the same order); both lists have base =
// the stub's length. Zero padding between the directory's region and the top-level list
// makes the setup's length a multiple of 8, so that signing it appends its certificate
// table without padding of its own. The same inputs give the same bytes.
class SetupBuilder {
public:
    static bool BuildSetup(const SetupInputs& inputs, std::string& error);
};
