#pragma once
#include <cstdint>
#include <string>

// What goes into one setup. product is a folder (zipped reproducibly) or a ready ZIP
// archive; lang and banner are optional (empty: the entry is left out). lang is carried in
// UTF-16LE (LangIni::Convert); langUtf8: a lang without a byte-order mark is UTF-8, not code
// page 936. strict: every warning is an error. signCommand, when not empty, signs the
// generic uninstaller and the setup (SigningCommand).
struct SetupInputs {
    std::string stub;
    std::string product;
    std::string lang;
    std::string banner;
    std::string out;
    bool langUtf8 = false;
    bool strict = false;
    std::string signCommand{};
};

// Hears about a build while it runs, before anything is written.
class BuildListener {
public:
    virtual ~BuildListener() = default;
    virtual void Warning(const std::string& text) = 0;
    // Items and bytes of a product folder zipped so far, of the totals.
    virtual void Zipped(uint64_t items, uint64_t itemCount, uint64_t bytes, uint64_t byteCount) = 0;
};

// Writes stub + container: one top-level directory "install" at offset 0 whose region holds
// Orva.in (the product archive byte-reversed), lang.ini, top_log.bmp and Orva.in.crc32 in
// that order and then its nested list (records in the same order); both lists have base =
// the stub's length. Zero padding between the directory's region and the top-level list
// makes the setup's length a multiple of 8, so that signing it appends its certificate
// table without padding of its own. The same inputs give the same bytes. Refuses a product
// with a name that can never install (ProductNames) and reports what the setup will miss
// (LangIni) as warnings. A product without Uninstall.exe gets the generic one from beside
// the stub (ProductUninstaller). A signed setup is made beside out under another name and
// takes out's place only once signed and checked, so a failure leaves an earlier out as it
// was; unsigned, out is written directly.
class SetupBuilder {
public:
    static bool BuildSetup(const SetupInputs& inputs, std::string& error, BuildListener* listener = nullptr);
};
