#pragma once
#include <string>

// The setup's command line, in the switches deployment tools already know for setups of
// this kind (so existing recipes work unchanged):
//   /S            install without the wizard and without any message
//   /LANG=N       the language of section [langN]; with the wizard it is preselected
//   /GROUP=NAME   the program group; with the wizard it is preselected
//   /LOG=FILE     append a log of the run to FILE
//   /?            show the usage
//   /D=PATH       the install directory. It comes last and runs to the end of the line:
//                 it may hold spaces and is not quoted.
// Switch names take any case. A value holding spaces (other than /D's) is quoted, the
// whole switch or its value alike ("/GROUP=My Tools" or /GROUP="My Tools").
struct SetupOptions {
    bool silent = false;
    bool usage = false;       // /? was given
    int language = 0;         // 0: not given
    std::string group;        // empty: not given
    std::string directory;    // empty: not given
    std::string logFile;      // empty: no log
};

class SetupCommandLine {
public:
    // Reads the arguments after the program's name (UTF-8). False, with the reason in
    // error, for a switch it does not know, a bare word, a value that is missing or not
    // what the switch takes, or a switch given twice; options.silent tells even then
    // whether /S was among them.
    static bool Parse(const std::string& arguments, SetupOptions& options, std::string& error);
    // The usage text /? shows.
    static std::string Usage();
};
