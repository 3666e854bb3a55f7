#include "app/SetupCommandLine.h"

#include <gtest/gtest.h>

namespace {

struct Accepted {
    const char* line;
    bool silent;
    int language;
    const char* group;
    const char* directory;
    const char* log;
    bool usage;
};

// What deployment recipes write, and the edges of the convention: /D= runs to the end of
// the line with its spaces, unquoted; other values are quoted when they hold spaces.
const Accepted kAccepted[] = {
    {"", false, 0, "", "", "", false},
    {"/S", true, 0, "", "", "", false},
    {"/s", true, 0, "", "", "", false},
    {"/S /D=C:\\Program Files\\Orvanta Test", true, 0, "", "C:\\Program Files\\Orvanta Test", "", false},
    {"/D=C:\\Program Files\\Orvanta Test  ", false, 0, "", "C:\\Program Files\\Orvanta Test", "", false},
    {"/S /D=C:\\a \"quoted\" /S /LANG=2", true, 0, "", "C:\\a \"quoted\" /S /LANG=2", "", false},
    {"/LANG=2 /GROUP=Tools", false, 2, "Tools", "", "", false},
    {"\"/GROUP=My Tools\" /S", true, 0, "My Tools", "", "", false},
    {"/GROUP=\"My Tools\\Orvanta\"", false, 0, "My Tools\\Orvanta", "", "", false},
    {"/group=\"a /D=b\" /D=C:\\x", false, 0, "a /D=b", "C:\\x", "", false},
    {"/LOG=C:\\logs\\setup.log /S", true, 0, "", "", "C:\\logs\\setup.log", false},
    {"/LOG=\"C:\\my logs\\\xE5\xAE\x89\xE8\xA3\x85.log\"", false, 0, "", "", "C:\\my logs\\\xE5\xAE\x89\xE8\xA3\x85.log", false},
    {"/?", false, 0, "", "", "", true},
    {"/S \"/D=C:\\Program Files\\Orvanta Test\"", true, 0, "", "C:\\Program Files\\Orvanta Test", "", false},
    {"/S /?", true, 0, "", "", "", true},
    {"/D=D:\\\xEC\x95\x88\xEB\x85\x95 \xD8\xB3\xD9\x84\xD8\xA7\xD9\x85", false, 0, "", "D:\\\xEC\x95\x88\xEB\x85\x95 \xD8\xB3\xD9\x84\xD8\xA7\xD9\x85", "", false},
};

const char* const kRefused[] = {
    "/X",                 // unknown switch
    "/Silent",            // not /S
    "install",            // a bare word
    "/S /S",              // twice
    "/LANG=",             // no number
    "/LANG=0",            // languages count from 1
    "/LANG=two",
    "/LANG=-1",
    "/LANG=12345",
    "/LANG=1 /LANG=2",
    "/GROUP=",
    "/LOG=",
    "/D=",                // no directory
    "/D=   ",
    "/D=relative\\folder", // from wherever the setup is started
    "/S /D=relative\\folder",
    "/D=C:folder",
    "\"/D=..\\x\"",
    "/S/D=C:\\x",         // /D= must start a word: this is one unknown switch
    "\"/D=C:\\x\" /S",    // quoted whole, /D= is still the last word
};

TEST(SetupCommandLine, ReadsTheSwitchesDeploymentToolsWrite)
{
    for (const Accepted& row : kAccepted) {
        SCOPED_TRACE(row.line);
        SetupOptions options;
        std::string error;
        ASSERT_TRUE(SetupCommandLine::Parse(row.line, options, error)) << error;
        EXPECT_EQ(row.silent, options.silent);
        EXPECT_EQ(row.language, options.language);
        EXPECT_EQ(row.group, options.group);
        EXPECT_EQ(row.directory, options.directory);
        EXPECT_EQ(row.log, options.logFile);
        EXPECT_EQ(row.usage, options.usage);
        EXPECT_TRUE(error.empty());
    }
}

TEST(SetupCommandLine, RefusesWhatItCannotReadWithTheReason)
{
    for (const char* line : kRefused) {
        SCOPED_TRACE(line);
        SetupOptions options;
        std::string error = "stale";
        EXPECT_FALSE(SetupCommandLine::Parse(line, options, error));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ((" " + std::string(line) + " ").find(" /S ") != std::string::npos, options.silent)
            << "a refused /S run still shows nothing";
        EXPECT_NE("stale", error);
    }
}

TEST(SetupCommandLine, UsageNamesEverySwitchAndExitCode)
{
    std::string usage = SetupCommandLine::Usage();
    for (const char* part : {"/S", "/LANG=N", "/GROUP=NAME", "/LOG=FILE", "/?", "/D=PATH", "0 installed",
                             "1 failed", "2 refused", "3 the setup is damaged", "1602 abandoned"})
        EXPECT_NE(std::string::npos, usage.find(part)) << part;
}

} // namespace
