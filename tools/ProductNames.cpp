#include "tools/ProductNames.h"

#include "engine/zip/ZipNameRules.h"
#include "tools/Utf8Text.h"

#include <cctype>
#include <map>

namespace {

std::string Upper(std::string text)
{
    for (char& c : text)
        c = char(std::toupper(uint8_t(c)));
    return text;
}

bool IsLeadByte(char c)
{
    return uint8_t(c) >= 0x81 && uint8_t(c) <= 0xFE;
}

bool IsDeviceName(const std::string& component)
{
    std::string stem = component.substr(0, component.find('.'));
    stem.erase(stem.find_last_not_of(' ') + 1);
    stem = Upper(stem);
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
        if (stem == device)
            return true;
    }
    return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0)
        && std::isdigit(uint8_t(stem[3]));
}

} // namespace

std::vector<std::string> ProductNames::Components(const std::string& name, bool doubleByte)
{
    std::vector<std::string> components;
    std::string part;
    for (const char* p = ZipNameRules::Remainder(name.c_str());; ++p) {
        if (doubleByte && IsLeadByte(*p) && p[1] != '\0') {
            part += *p++;
            part += *p;
        } else if (*p == '/' || *p == '\\' || *p == '\0') {
            if (!part.empty() && part != ".")
                components.push_back(part);
            part.clear();
            if (*p == '\0')
                break;
        } else {
            part += *p;
        }
    }
    return components;
}

std::string ProductNames::Key(const std::vector<std::string>& components, bool doubleByte)
{
    std::string key;
    for (const std::string& component : components) {
        if (!key.empty())
            key += '/';
        for (size_t i = 0; i < component.size(); ++i) {
            if (doubleByte && IsLeadByte(component[i]) && i + 1 < component.size()) {
                key += component.substr(i++, 2);
            } else {
                key += char(std::tolower(uint8_t(component[i])));
            }
        }
    }
    return key;
}

std::string ProductNames::ComponentProblem(const std::string& component)
{
    if (IsDeviceName(component))
        return "\"" + component + "\" is a device name";
    for (char c : component) {
        if (uint8_t(c) < 0x20)
            return "it holds a control character";
        if (std::string("*?\"<>|:").find(c) != std::string::npos)
            return std::string("it holds the character ") + c;
    }
    char last = component.back();
    if (last == '.' || last == ' ')
        return "\"" + component + "\" ends in a " + (last == '.' ? "dot" : "space") + ", which Windows drops";
    return std::string();
}

// Case is folded for ASCII letters only, as in the names products use; two names that
// differ only in the case of other letters are not caught here.
bool ProductNames::Check(const std::vector<ProductItem>& items, std::vector<std::string>& warnings, std::string& error)
{
    std::map<std::string, const ProductItem*> seen;
    std::map<std::string, std::string> folders;  // key, and the first item below it
    for (const ProductItem& item : items) {
        if (item.utf8 && !Utf8Text::Valid(item.name)) {
            error = "product name \"" + item.name + "\" is marked UTF-8 but is not";
            return false;
        }
        std::vector<std::string> components = Components(item.name, !item.utf8);
        if (components.empty()) {
            if (item.directory)
                continue;
            error = "product name \"" + item.name + "\" leaves no file name below the install directory";
            return false;
        }
        for (const std::string& component : components) {
            std::string problem = ComponentProblem(component);
            if (!problem.empty()) {
                error = "product name \"" + item.name + "\" cannot be created on Windows: " + problem;
                return false;
            }
        }
        if (!item.utf8 && !Utf8Text::Ascii(item.name))
            warnings.push_back("product name \"" + item.name
                               + "\" is not marked UTF-8: the setup takes its bytes in the installing system's code page");
        std::string key = Key(components, !item.utf8);
        auto found = seen.find(key);
        if (found != seen.end() && !(item.directory && found->second->directory)) {
            error = "product names \"" + found->second->name + "\" and \"" + item.name
                + "\" are one file on Windows, which ignores case";
            return false;
        }
        seen.emplace(key, &item);
        components.pop_back();
        for (size_t n = 1; n <= components.size(); ++n)
            folders.emplace(Key(std::vector<std::string>(components.begin(), components.begin() + long(n)), !item.utf8),
                            item.name);
    }
    for (const auto& entry : seen) {
        auto folder = folders.find(entry.first);
        if (!entry.second->directory && folder != folders.end()) {
            error = "product name \"" + entry.second->name + "\" is a file and also the folder of \"" + folder->second + "\"";
            return false;
        }
    }
    return true;
}
