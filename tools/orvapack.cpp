// orvapack: packs a product into a setup, and lists or unpacks a built setup.
// Exit status: 0 done, 1 the work failed, 2 the command line is wrong.
#include "tools/SetupBuilder.h"
#include "tools/SetupInspector.h"

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

const char Usage[] =
    "usage:\n"
    "  orvapack build --stub setup.exe --product <folder|archive.zip> [--lang lang.ini]\n"
    "                 [--banner top_log.bmp] --out out.exe\n"
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

// Splits arguments into positional ones and "--name value" options of the allowed names.
bool Parse(const std::vector<std::string>& args, const std::vector<std::string>& allowed,
           std::vector<std::string>& positional, std::map<std::string, std::string>& options, std::string& error)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            positional.push_back(arg);
            continue;
        }
        std::string name = arg.substr(2);
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
    if (!Parse(args, {"stub", "product", "lang", "banner", "out"}, positional, options, error))
        return UsageError(error);
    if (!positional.empty())
        return UsageError("build takes no argument " + positional.front());
    for (const char* required : {"stub", "product", "out"}) {
        if (!options.count(required))
            return UsageError(std::string("build needs --") + required);
    }
    SetupInputs inputs{options["stub"], options["product"], options["lang"], options["banner"], options["out"]};
    if (!SetupBuilder::BuildSetup(inputs, error))
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
