#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/ProductNames.h"

// The packer's view of a product's lang.ini: the publisher's file turned into the UTF-16LE
// text the setup carries, and what the setup will look for in the product because of it.
class LangIni {
public:
    // The file's text as UTF-8 (for the checks) and as the setup carries it: UTF-16LE after
    // a byte-order mark, line ends and everything else as the file has them. A file without
    // a byte-order mark is read in code page 936, or in UTF-8 when utf8 is set. False, with
    // path and the line, for bytes that are no text in the file's encoding.
    static bool Convert(const std::string& path, const std::vector<uint8_t>& file, bool utf8, std::string& text,
                        std::vector<uint8_t>& carried, std::string& error);

    // One warning per problem, naming path and the line where there is one: terminal.exe
    // or terminal.ico missing from the product (the shortcuts and the finish page's launch
    // use them), a [link] entry the setup skips or whose target the product lacks, no
    // [lang] section or no count in it, a count that does not match the [langN] sections
    // present. text is the file's UTF-8 text; path is empty when the setup has no lang.ini.
    static void Check(const std::string& path, const std::string& text, const std::vector<ProductItem>& product,
                      std::vector<std::string>& warnings);
};
