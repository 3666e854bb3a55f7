// Writes the fuzzer's seed archives into the folder given as the only argument.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "zip/ZipTestArchive.h"

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    std::filesystem::create_directories(argv[1]);
    auto path = [&](const char* name) { return (std::filesystem::path(argv[1]) / name).string(); };

    ZipTestItem stored{"stored.txt", "stored bytes"};
    stored.method = 0;
    ZipTestItem big{"dir/big.bin", std::string(0x4001, 'z')};
    ZipTestItem dir{"dir/", ""};
    dir.versionMadeBy = ZipTestItem::UnixHost;
    dir.externalAttributes = 040755u << 16;
    ZipTestItem timed{"timed.txt", "times"};
    using ZipTestArchive::Le32;  // an extended timestamp: modification, access, creation
    timed.localExtra = ZipTestArchive::Record("UT", "\7" + Le32(1600000000) + Le32(1600000100)
                                                        + Le32(1500000000));
    ZipTestItem secret{"secret.txt", "hidden text"};
    secret.password = "pw";
    ZipTestItem hostile{"c:\\x\\..\\..\\y/../z.txt", "z"};
    ZipTestItem flagged{"docs/\xE8\xAF\xB4\xE6\x98\x8E.txt", "utf-8"};
    flagged.flags = 0x800;
    ZipTestItem undeclared{"\xCB\xB5\xC3\xF7.txt", "code page 936"};
    ZipTestItem unicodePath{"old.txt", "up"};
    unicodePath.centralExtra = ZipTestArchive::UnicodePathRecord("old.txt", "\xE8\xAF\xB4.txt");
    unicodePath.localExtra = ZipTestArchive::UnicodePathRecord("old.txt", "./\xF0\x9F\x98\x80");

    bool ok = ZipTestArchive::Write(path("empty.zip"), {});
    ok = ZipTestArchive::Write(path("one.zip"), {{"a.txt", "alpha"}}) && ok;
    ok = ZipTestArchive::Write(path("mixed.zip"), {stored, dir, big, timed, hostile}) && ok;
    ok = ZipTestArchive::Write(path("secret.zip"), {secret, stored}) && ok;
    ok = ZipTestArchive::Write(path("names.zip"), {flagged, undeclared, unicodePath, dir}) && ok;
    if (!ok) {
        std::fprintf(stderr, "zip_fuzz_seeds: cannot write the seeds\n");
        return 1;
    }
    return 0;
}
