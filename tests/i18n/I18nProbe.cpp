// i18n_probe OUTFILE exedir   writes GetExeDirectory()
// i18n_probe OUTFILE table    writes the table's file, a line feed and its current language
#include "i18n/ExeDirectory.h"
#include "i18n/LanguageTable.h"

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    std::string text;
    if (std::strcmp(argv[2], "exedir") == 0) {
        text = GetExeDirectory();
    } else if (std::strcmp(argv[2], "table") == 0) {
        LanguageTable* table = LanguageTable::Instance();
        text = table->GetFile() + "\n" + std::to_string(table->GetCurrentLanguage());
        LanguageTable::Release();
    } else {
        return 2;
    }
    FILE* out = std::fopen(argv[1], "wb");
    if (!out)
        return 3;
    bool ok = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    return std::fclose(out) == 0 && ok ? 0 : 3;
}
