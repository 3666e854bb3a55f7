#include "tools/SigningCommand.h"

#include "container/CertificateTable.h"
#include "container/ScopedFile.h"
#include "tools/FileBytes.h"
#include "tools/ShellCommand.h"

#include <cstdint>
#include <vector>

namespace {

constexpr char Placeholder[] = "{file}";

bool HasCertificateTable(const std::string& path)
{
    uint64_t size = 0, start = 0;
    std::string ignored;
    if (!FileBytes::Size(path, size, ignored))
        return false;
    ScopedFile file(std::fopen(path.c_str(), "rb"));
    return file && CertificateTable::Locate(file.get(), size, start);
}

} // namespace

bool SigningCommand::Sign(const std::string& path, const std::string& step, const Check& check,
                          std::string& error) const
{
    std::string quoted;
    if (!ShellCommand::Quote(path, quoted)) {
        error = step + ": the shell cannot take the path " + path + " literally";
        return false;
    }
    std::string line = command;
    for (size_t at = line.find(Placeholder); at != std::string::npos; at = line.find(Placeholder, at + quoted.size()))
        line.replace(at, sizeof Placeholder - 1, quoted);
    std::vector<uint8_t> before, after;
    if (!FileBytes::Read(path, before, error))
        return false;
    int exitCode = 0;
    if (!ShellCommand::Run(line, exitCode)) {
        error = step + " failed: the command did not run to its end: " + command;
        return false;
    }
    std::string why;
    if (exitCode != 0)
        why = "the command reported a failure";
    else if (!FileBytes::Read(path, after, why) || after == before)
        why = why.empty() ? "it left the file unchanged" : why;
    else if (!HasCertificateTable(path))
        why = "it left no PE image with a certificate table at its end";
    else if (check && !check(path, why) && why.empty())
        why = "the signed file does not hold what was signed";
    if (why.empty())
        return true;
    error = step + " failed (exit code " + std::to_string(exitCode) + "): " + why + ": " + command;
    return false;
}
