#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/ProductNames.h"

// The packer's view of a product's lang.ini: its conversion from UTF-8 to the setup's
// code page 936, and what the setup will look for in the product because of it.
class LangIni {
public:
    // Writes UTF-8 text (a leading byte-order mark dropped) in code page 936; false, with
    // path and the line number, for text that is not UTF-8 or a character code page 936
    // cannot hold.
    static bool FromUtf8(const std::string& path, const std::vector<uint8_t>& utf8, std::vector<uint8_t>& cp936,
                         std::string& error);

    // One warning per problem, naming path and the line where there is one: terminal.exe
    // or terminal.ico missing from the product (the shortcuts and the finish page's launch
    // use them), a [link] entry the setup skips or whose target the product lacks, no
    // [lang] section or no count in it, a count that does not match the [langN] sections
    // present, bytes code page 936 cannot read. path is empty when the setup has no lang.ini.
    static void Check(const std::string& path, const std::vector<uint8_t>& ini,
                      const std::vector<ProductItem>& product, std::vector<std::string>& warnings);
};
