#include "uninstaller/UninstallCommand.h"

#include "framework/CommandLineWords.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

bool IsOption(const std::string& word, char letter)
{
    return word.size() == 2 && (word[0] == '/' || word[0] == '-') && (word[1] | 0x20) == (letter | 0x20);
}

HANDLE HandleOf(const std::string& word)
{
    return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(std::strtoull(word.c_str(), nullptr, 10)));
}

std::string TextOf(HANDLE handle)
{
    return std::to_string(reinterpret_cast<uintptr_t>(handle));
}

} // namespace

UninstallCommand UninstallCommand::Parse(const char* commandLine)
{
    UninstallCommand command;
    std::vector<std::string> words = CommandLineWords::Split(commandLine ? commandLine : "");
    for (size_t i = 0; i < words.size(); ++i) {
        if (IsOption(words[i], 'S')) {
            command.silent_ = true;
        } else if (IsOption(words[i], 'R') && i + 3 < words.size()) {
            command.isCopy_ = true;
            command.original_ = HandleOf(words[i + 1]);
            command.result_ = HandleOf(words[i + 2]);
            command.installDirectory_ = words[i + 3];
            i += 3;
        }
    }
    return command;
}

std::string UninstallCommand::HandoverArguments(HANDLE original, HANDLE result, const std::string& installDirectory,
                                               bool silent)
{
    std::string arguments = "/R " + TextOf(original) + " " + TextOf(result) + " \"" + installDirectory + "\"";
    return silent ? arguments + " /S" : arguments;
}
