#include "engine/ItemPath.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "framework/FileApi.h"
#include "framework/WideText.h"

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// Splits at "\" and "/"; empty parts are kept.
std::vector<std::string> SplitComponents(const std::string& path)
{
    std::vector<std::string> parts(1);
    for (char c : path) {
        if (IsSeparator(c))
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

// Offset of the last separator, or npos.
size_t LastSeparator(const std::string& path)
{
    return path.find_last_of("\\/");
}

bool HasColon(const std::string& path)
{
    return path.find(':') != std::string::npos;
}

std::string WithoutTrailingSeparator(const std::string& path)
{
    if (ItemPath::EndsWithSeparator(path))
        return path.substr(0, path.size() - 1);
    return path;
}

bool SameText(const std::string& a, const std::string& b)
{
    return WideText::SameIgnoringCase(WideText::FromUtf8(a), WideText::FromUtf8(b));
}

} // namespace

bool ItemPath::IsSafeComponent(const std::string& component)
{
    // "." is the folder itself (archivers that zip "." write "./" before every name); any
    // other run of dots and spaces is one Windows trims to ".", ".." or nothing.
    if (component.find_first_not_of(". ") == std::string::npos)
        return component.empty() || component == ".";
    // The device names are reserved in every folder and with any extension.
    std::string stem = component.substr(0, component.find('.'));
    stem.erase(stem.find_last_not_of(' ') + 1);
    std::transform(stem.begin(), stem.end(), stem.begin(), [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); });
    static const char* const reserved[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* name : reserved) {
        if (stem == name)
            return false;
    }
    if (stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) && stem[3] >= '0' && stem[3] <= '9')
        return false;
    return true;
}

bool ItemPath::Resolve(const std::string& installDirectory, const std::string& name, std::string& fullPath)
{
    fullPath.clear();
    if (name.empty() || installDirectory.empty() || IsSeparator(name[0]) || HasColon(name))
        return false;
    for (const std::string& component : SplitComponents(name)) {
        if (!IsSafeComponent(component))
            return false;
    }
    std::string base = Full(installDirectory);
    std::string full = Full(installDirectory + "\\" + name);
    if (base.empty() || full.empty())
        return false;
    // The item must lie strictly below the install directory, whatever the checks above
    // missed: the prefix up to a separator must be that directory itself.
    std::string prefix = EndsWithSeparator(base) ? base : base + "\\";
    if (full.size() <= prefix.size() || !SameText(full.substr(0, prefix.size()), prefix))
        return false;
    if (LastSeparator(full.substr(0, prefix.size())) != prefix.size() - 1)
        return false;
    fullPath = full;
    return true;
}

bool ItemPath::IsSameFolder(const std::string& name)
{
    for (const std::string& component : SplitComponents(name)) {
        if (!component.empty() && component != ".")
            return false;
    }
    return true;
}

std::string ItemPath::Full(const std::string& path)
{
    return FileApi::FullPath(path);
}

std::string ItemPath::Parent(const std::string& path)
{
    size_t last = LastSeparator(path);
    return last == std::string::npos ? std::string() : path.substr(0, last);
}

bool ItemPath::EndsWithSeparator(const std::string& path)
{
    size_t last = LastSeparator(path);
    return last != std::string::npos && last + 1 == path.size();
}

bool ItemPath::SameDirectory(const std::string& a, const std::string& b)
{
    if (a.empty() || b.empty())
        return false;
    return SameText(WithoutTrailingSeparator(a), WithoutTrailingSeparator(b));
}
