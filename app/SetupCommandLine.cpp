#include "app/SetupCommandLine.h"

#include "framework/CommandLineWords.h"

#include <cctype>
#include <vector>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool StartsWithSwitch(const std::string& text, size_t at, const char* name)
{
    for (size_t i = 0; name[i]; ++i) {
        if (at + i >= text.size() || std::toupper(static_cast<unsigned char>(text[at + i])) != name[i])
            return false;
    }
    return true;
}

// Where "/D=" starts a word outside quotes, or npos. Everything from there belongs to
// the directory, so the first such place is the one.
size_t DirectorySwitch(const std::string& line)
{
    bool quoted = false;
    for (size_t at = 0; at < line.size(); ++at) {
        if (line[at] == '"')
            quoted = !quoted;
        else if (!quoted && (at == 0 || IsBlank(line[at - 1])) && StartsWithSwitch(line, at, "/D="))
            return at;
    }
    return std::string::npos;
}

// A directory named from where the setup happens to be started would land anywhere: only
// a drive's path (C:\...) or a share's (\\server\share\...) names one place.
bool IsAbsolute(const std::string& path)
{
    bool drive = path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
                 (path[2] == '\\' || path[2] == '/');
    bool share = path.size() > 2 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/');
    return drive || share;
}

std::string Trimmed(const std::string& text)
{
    size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

// A language number: decimal digits only, 1 to 9999.
bool LanguageNumber(const std::string& text, int& number)
{
    if (text.empty() || text.size() > 4)
        return false;
    number = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + (c - '0');
    }
    return number > 0;
}

} // namespace

bool SetupCommandLine::Parse(const std::string& arguments, SetupOptions& options, std::string& error)
{
    options = SetupOptions();
    error.clear();
    std::string switches = arguments;
    size_t directory = DirectorySwitch(arguments);
    if (directory != std::string::npos) {
        options.directory = Trimmed(arguments.substr(directory + 3));
        if (options.directory.empty()) {
            error = "/D= needs the install directory";
            return false;
        }
        switches = arguments.substr(0, directory);
    }
    // /S holds for the refusal of the rest too: a deployment tool's run never shows a box.
    std::vector<std::string> words = CommandLineWords::Split(switches);
    for (const std::string& word : words)
        options.silent = options.silent || (word.size() == 2 && StartsWithSwitch(word, 0, "/S"));
    if (!options.directory.empty() && !IsAbsolute(options.directory)) {
        error = "/D= needs a full path, such as /D=C:\\Program Files\\Orvanta";
        return false;
    }
    bool sawSilent = false, sawLanguage = false, sawGroup = false, sawLog = false;
    auto once = [&error](bool& seen, const std::string& word) {
        if (seen)
            error = word.substr(0, word.find('=')) + " is given twice";
        seen = true;
        return error.empty();
    };
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word == "/?") {
            options.usage = true;
        } else if (StartsWithSwitch(word, 0, "/S") && word.size() == 2) {
            if (!once(sawSilent, word))
                return false;
            options.silent = true;
        } else if (StartsWithSwitch(word, 0, "/LANG=")) {
            if (!once(sawLanguage, word))
                return false;
            if (!LanguageNumber(word.substr(6), options.language)) {
                error = "/LANG= takes the number of a language section, such as /LANG=2";
                return false;
            }
        } else if (StartsWithSwitch(word, 0, "/GROUP=")) {
            if (!once(sawGroup, word))
                return false;
            options.group = word.substr(7);
            if (options.group.empty()) {
                error = "/GROUP= needs the program group's name";
                return false;
            }
        } else if (StartsWithSwitch(word, 0, "/LOG=")) {
            if (!once(sawLog, word))
                return false;
            options.logFile = word.substr(5);
            if (options.logFile.empty()) {
                error = "/LOG= needs the log file";
                return false;
            }
        } else if (StartsWithSwitch(word, 0, "/D=") && i + 1 == words.size() && options.directory.empty()) {
            // Tools that quote every argument holding a space quote /D= whole; as the last
            // word it still means what it says.
            options.directory = Trimmed(word.substr(3));
            if (!IsAbsolute(options.directory)) {
                error = "/D= needs a full path, such as /D=C:\\Program Files\\Orvanta";
                return false;
            }
        } else {
            error = "unknown switch: " + word;
            return false;
        }
    }
    return true;
}

std::string SetupCommandLine::Usage()
{
    return "setup.exe [/S] [/LANG=N] [/GROUP=NAME] [/LOG=FILE] [/?] [/D=PATH]\r\n"
           "\r\n"
           "/S\tinstall without the wizard and without any message\r\n"
           "/LANG=N\tthe language of section [langN] of lang.ini\r\n"
           "/GROUP=NAME\tthe program group of the Start menu\r\n"
           "/LOG=FILE\tappend a log of the run to FILE\r\n"
           "/?\tshow this text\r\n"
           "/D=PATH\tthe install directory: last, not quoted, may hold spaces\r\n"
           "\r\n"
           "Exit codes: 0 installed, 1 failed and rolled back, 2 refused before anything\r\n"
           "was written, 3 the setup is damaged, 1602 abandoned by the user.";
}
