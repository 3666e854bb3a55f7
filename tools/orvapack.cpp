// orvapack: packs a product into a setup, and lists or unpacks a built setup.
// Exit status: 0 done, 1 the work failed, 2 the command line is wrong.
#include "tools/ConsoleListener.h"
#include "tools/SetupBuilder.h"
#include "tools/SetupInspector.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

const char Usage[] =
    "usage:\n"
    "  orvapack build --stub setup.exe --product <folder|archive.zip> [--lang lang.ini]\n"
    "                 [--lang-encoding cp936|utf-8] [--banner top_log.bmp] [--strict]\n"
    "                 [--sign-command \"COMMAND {file}\"] --out out.exe\n"
    "  orvapack list <setup.exe>\n"
    "  orvapack extract <setup.exe> <folder> [--zip out.zip]\n";

int UsageError(const std::string& message)
{
    std::fprintf(stderr, "orvapack: %s\n%s", message.c_str(), Usage);
    return 2;
}

int Failure(const std::string& message)
{
    std::fprintf(stderr, "orvapack: error: %s\n", message.c_str());
    return 1;
}

// Splits arguments into positional ones, "--name value" options of the allowed names and
// the switches named in flags (given as "1").
bool Parse(const std::vector<std::string>& args, const std::vector<std::string>& allowed,
           std::vector<std::string>& positional, std::map<std::string, std::string>& options, std::string& error,
           const std::vector<std::string>& flags = {})
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            positional.push_back(arg);
            continue;
        }
        std::string name = arg.substr(2);
        if (std::find(flags.begin(), flags.end(), name) != flags.end()) {
            if (!options.emplace(name, "1").second) {
                error = "option " + arg + " given twice";
                return false;
            }
            continue;
        }
        bool known = false;
        for (const std::string& a : allowed)
            known = known || a == name;
        if (!known) {
            error = "unknown option " + arg;
            return false;
        }
        if (i + 1 >= args.size() || args[i + 1].empty()) {
            error = "option " + arg + " needs a value";
            return false;
        }
        if (!options.emplace(name, args[++i]).second) {
            error = "option " + arg + " given twice";
            return false;
        }
    }
    return true;
}

int Build(const std::vector<std::string>& args)
{
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;
    std::string error;
    if (!Parse(args, {"stub", "product", "lang", "lang-encoding", "banner", "out", "sign-command"}, positional, options,
               error, {"strict"}))
        return UsageError(error);
    if (!positional.empty())
        return UsageError("build takes no argument " + positional.front());
    for (const char* required : {"stub", "product", "out"}) {
        if (!options.count(required))
            return UsageError(std::string("build needs --") + required);
    }
    SetupInputs inputs{options["stub"], options["product"], options["lang"], options["banner"], options["out"]};
    const std::string& encoding = options["lang-encoding"];
    if (!encoding.empty() && encoding != "utf-8" && encoding != "cp936")
        return UsageError("--lang-encoding is cp936 (the default) or utf-8: how lang.ini is read when it starts "
                          "with no byte-order mark");
    if (!encoding.empty() && inputs.lang.empty())
        return UsageError("--lang-encoding needs --lang");
    inputs.langUtf8 = encoding == "utf-8";
    inputs.strict = options.count("strict") != 0;
    auto sign = options.find("sign-command");
    if (sign != options.end() && sign->second.find("{file}") == std::string::npos)
        return UsageError("--sign-command needs {file}, where the path of the file to sign goes");
    if (sign != options.end())
        inputs.signCommand = sign->second;
    bool built = false;
    {
        ConsoleListener listener(inputs.strict);
        built = SetupBuilder::BuildSetup(inputs, error, &listener);
    }
    if (!built)
        return Failure(error);
    std::printf("wrote %s\n", inputs.out.c_str());
    return 0;
}

int List(const std::vector<std::string>& args)
{
    if (args.size() != 1 || args[0].compare(0, 2, "--") == 0)
        return UsageError("list takes exactly one setup");
    std::string listing, error;
    if (!SetupInspector::ListSetup(args[0], listing, error))
        return Failure(error);
    std::fputs(listing.c_str(), stdout);
    return 0;
}

int Extract(const std::vector<std::string>& args)
{
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;
    std::string error;
    if (!Parse(args, {"zip"}, positional, options, error))
        return UsageError(error);
    if (positional.size() != 2)
        return UsageError("extract takes a setup and a destination folder");
    std::string note;
    if (!SetupInspector::ExtractSetup(positional[0], positional[1], options["zip"], note, error))
        return Failure(error);
    std::fputs(note.c_str(), stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return UsageError("no command");
    std::string command = args.front();
    args.erase(args.begin());
    if (command == "build")
        return Build(args);
    if (command == "list")
        return List(args);
    if (command == "extract")
        return Extract(args);
    if (command == "help" || command == "--help" || command == "-h") {
        std::fputs(Usage, stdout);
        return 0;
    }
    return UsageError("unknown command " + command);
}
