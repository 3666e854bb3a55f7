// i18n_probe OUTFILE   writes GetExeDirectory(), then the file and the current language of
// a fresh language table, one to a line
#include "i18n/ExeDirectory.h"
#include "i18n/LanguageTable.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    LanguageTable* table = LanguageTable::Instance();
    std::string text = GetExeDirectory() + "\n" + table->GetFile() + "\n" + std::to_string(table->GetCurrentLanguage());
    LanguageTable::Release();
    FILE* out = std::fopen(argv[1], "wb");
    if (!out)
        return 3;
    bool ok = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    return std::fclose(out) == 0 && ok ? 0 : 3;
}
