#include "tools/LangIni.h"

#include "engine/zip/ZipPlatform.h"
#include "tools/Utf8Text.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <set>

namespace {

std::string Lower(std::string text)
{
    for (char& c : text)
        c = char(std::tolower(uint8_t(c)));
    return text;
}

std::string Trim(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Sections and keys as the Windows profile reader finds them: names compared without
// case, the first of two equal keys wins, lines before the first section and comment
// lines (";") belong to nothing.
using Sections = std::map<std::string, std::map<std::string, std::string>>;

Sections Parse(const std::vector<uint8_t>& ini)
{
    Sections sections;
    std::map<std::string, std::string>* current = nullptr;
    std::string text(ini.begin(), ini.end());
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string line = Trim(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        start = end == std::string::npos ? text.size() : end + 1;
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            size_t close = line.find(']');
            current = &sections[Lower(Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1)))];
        } else if (current != nullptr && line.find('=') != std::string::npos) {
            size_t equals = line.find('=');
            current->emplace(Lower(Trim(line.substr(0, equals))), Trim(line.substr(equals + 1)));
        }
    }
    return sections;
}

// The profile reader's integers: leading blanks, a sign, digits up to the first other character.
long Integer(const std::string& text)
{
    return std::strtol(text.c_str(), nullptr, 10);
}

} // namespace

bool LangIni::FromUtf8(const std::vector<uint8_t>& utf8, std::vector<uint8_t>& cp936, std::string& error)
{
    std::string text(utf8.begin(), utf8.end());
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        text.erase(0, 3);
    cp936.clear();
    size_t start = 0;
    for (int line = 1; start < text.size(); ++line) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        std::string part = text.substr(start, end - start), converted;
        start = end;
        if (ZipPlatform::FromUtf8(part, 936, converted)) {
            cp936.insert(cp936.end(), converted.begin(), converted.end());
            continue;
        }
        error = "lang.ini line " + std::to_string(line) + ": ";
        uint32_t codePoint = 0;
        for (size_t at = 0, before = 0; before < part.size(); before = at) {
            if (!Utf8Text::Next(part, at, codePoint)) {
                error += "not UTF-8";
                return false;
            }
            if (!ZipPlatform::FromUtf8(part.substr(before, at - before), 936, converted)) {
                error += "character " + Utf8Text::Describe(codePoint) + " cannot be written in code page 936";
                return false;
            }
        }
        error += "cannot be written in code page 936";
        return false;
    }
    return true;
}

void LangIni::Check(const std::vector<uint8_t>& ini, const std::vector<ProductItem>& product,
                    std::vector<std::string>& warnings)
{
    std::set<std::string> files, folders;
    // lang.ini is code page 936, so the product's names are compared in it.
    for (const ProductItem& item : product) {
        std::string name = item.name;
        if (item.utf8 && !ZipPlatform::FromUtf8(item.name, 936, name))
            continue;
        std::vector<std::string> components = ProductNames::Components(name, true);
        (item.directory ? folders : files).insert(ProductNames::Key(components, true));
        while (!components.empty()) {
            components.pop_back();
            folders.insert(ProductNames::Key(components, true));
        }
    }
    for (const char* needed : {"terminal.exe", "terminal.ico"}) {
        if (!files.count(needed))
            warnings.push_back(std::string("the product has no ") + needed
                               + ": the program's shortcuts and the finish page's launch use it");
    }
    if (ini.empty())
        return;

    Sections sections = Parse(ini);
    auto value = [&](const std::string& section, const std::string& key, bool& present) {
        auto s = sections.find(section);
        present = s != sections.end() && s->second.count(key);
        return present ? s->second.at(key) : std::string();
    };
    bool present = false;
    long links = Integer(value("link", "count", present));
    long entries = long(sections["link"].size()) - (present ? 1 : 0);
    if (links > entries) {
        warnings.push_back("lang.ini [link] count is " + std::to_string(links) + " but the section holds "
                           + std::to_string(entries) + " entries: the setup skips the missing ones");
        links = entries;
    }
    for (long m = 1; m <= links; ++m) {
        std::string key = "link" + std::to_string(m);
        std::string entry = value("link", key, present);
        size_t hash = entry.find('#');
        if (hash == std::string::npos || hash == 0) {
            warnings.push_back("lang.ini [link] " + key + (present ? " = " + entry : " is missing")
                               + ": the setup skips it (an entry is name#target)");
            continue;
        }
        std::string target = entry.substr(hash + 1);
        std::string found = ProductNames::Key(ProductNames::Components(target, true), true);
        if (found.empty() || !(files.count(found) || folders.count(found)))
            warnings.push_back("lang.ini [link] " + key + ": its target \"" + target + "\" is not in the product");
    }

    long count = Integer(value("lang", "count", present));
    std::set<long> languages;
    for (const auto& section : sections) {
        const std::string& name = section.first;
        if (name.size() > 4 && name.compare(0, 4, "lang") == 0 && name[4] != '0'
            && name.find_first_not_of("0123456789", 4) == std::string::npos)
            languages.insert(std::strtol(name.c_str() + 4, nullptr, 10));
    }
    if (languages.size() != size_t(std::max(count, 0L)) || (!languages.empty() && *languages.rbegin() > count)) {
        std::string list;
        for (long n : languages)
            list += (list.empty() ? "[lang" : ", [lang") + std::to_string(n) + "]";
        warnings.push_back("lang.ini [lang] count is " + std::to_string(count) + " but the language sections are "
                           + (list.empty() ? std::string("none") : list) + ": the language page offers languages 1 to "
                           + std::to_string(count));
    }
}
