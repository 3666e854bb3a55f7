#pragma once
#include <string>
#include <vector>

// One item of a product archive as the packer checks it.
struct ProductItem {
    std::string name;      // UTF-8 when the archive declares it so, else the stored bytes
    bool utf8 = false;     // flag bit 11 or a matching Unicode Path record
    bool directory = false;
};

// The names a setup can install: what Windows can create and the setup's name rules let
// through, one file per name whatever its case.
class ProductNames {
public:
    // The path components the setup writes an item to: the reader's cut rules (drive
    // letters, leading separators, parent components) applied, "." and empty ones skipped.
    // A name in code page 936 (doubleByte) has its double-byte characters stepped over, so
    // a trail byte 0x5C is never a separator.
    static std::vector<std::string> Components(const std::string& name, bool doubleByte = false);
    // The components joined by "/" with ASCII letters in lower case: two names with the
    // same key are one file on Windows.
    static std::string Key(const std::vector<std::string>& components, bool doubleByte = false);

    // False, with the item's name in error, for a name that can never install; warnings
    // for names that install only on some systems.
    static bool Check(const std::vector<ProductItem>& items, std::vector<std::string>& warnings, std::string& error);

private:
    // Why Windows cannot create a file or folder of this name; empty when it can.
    static std::string ComponentProblem(const std::string& component);
};
