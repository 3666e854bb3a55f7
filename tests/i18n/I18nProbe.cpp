// i18n_probe OUTFILE   writes GetExeDirectory(), then the file and the current language of
// a fresh language table, one to a line
#include "i18n/ExeDirectory.h"
#include "i18n/LanguageTable.h"

#include <fstream>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    LanguageTable* table = LanguageTable::Instance();
    std::ofstream(argv[1], std::ios::binary) << GetExeDirectory() << "\n" << table->GetFile() << "\n"
                                             << table->GetCurrentLanguage();
    LanguageTable::Release();
    return 0;
}
