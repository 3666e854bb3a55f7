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
// lines (";") belong to nothing. Each remembers its line, for the warnings.
struct Entry {
    std::string value;
    int line = 0;
};
struct Section {
    int line = 0;
    std::map<std::string, Entry> keys;
};
using Sections = std::map<std::string, Section>;

Sections Parse(const std::string& text)
{
    Sections sections;
    Section* current = nullptr;
    size_t start = 0;
    for (int number = 1; start < text.size(); ++number) {
        size_t end = text.find('\n', start);
        std::string line = Trim(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        start = end == std::string::npos ? text.size() : end + 1;
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            size_t close = line.find(']');
            current = &sections[Lower(Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1)))];
            current->line = current->line ? current->line : number;
        } else if (current != nullptr && line.find('=') != std::string::npos) {
            size_t equals = line.find('=');
            current->keys.emplace(Lower(Trim(line.substr(0, equals))), Entry{Trim(line.substr(equals + 1)), number});
        }
    }
    return sections;
}

// The profile reader's integers: leading blanks, a sign, digits up to the first other character.
long Integer(const std::string& text)
{
    return std::strtol(text.c_str(), nullptr, 10);
}

// The same text for the same problem wherever it is: the file, its line when there is one.
std::string At(const std::string& path, int line)
{
    return line ? path + " line " + std::to_string(line) + ":" : path + ":";
}

void CheckLinks(const std::string& path, Sections& sections, const std::set<std::string>& files,
                const std::set<std::string>& folders, std::vector<std::string>& warnings)
{
    const Section& link = sections["link"];
    auto count = link.keys.find("count");
    const bool present = count != link.keys.end();
    long links = present ? Integer(count->second.value) : 0;
    long entries = long(link.keys.size()) - (present ? 1 : 0);
    if (links > entries) {
        warnings.push_back(At(path, count->second.line) + " [link] count is " + std::to_string(links)
                           + " but the section holds " + std::to_string(entries)
                           + " entries: the setup skips the missing ones");
        links = entries;
    }
    for (long m = 1; m <= links; ++m) {
        std::string key = "link" + std::to_string(m);
        auto found = link.keys.find(key);
        std::string entry = found == link.keys.end() ? std::string() : found->second.value;
        int line = found == link.keys.end() ? link.line : found->second.line;
        size_t hash = entry.find('#');
        if (hash == std::string::npos || hash == 0) {
            warnings.push_back(At(path, line) + " [link] " + key
                               + (found != link.keys.end() ? " = " + entry : " is missing")
                               + ": the setup skips it (an entry is name#target)");
            continue;
        }
        std::string target = entry.substr(hash + 1);
        std::string named = ProductNames::Key(ProductNames::Components(target));
        if (named.empty() || !(files.count(named) || folders.count(named)))
            warnings.push_back(At(path, line) + " [link] " + key + ": its target \"" + target
                               + "\" is not in the product");
    }
}

// Without [lang] and its count the language page has nothing to offer; a count beyond
// the [langN] sections offers languages without texts.
void CheckLanguages(const std::string& path, const Sections& sections, std::vector<std::string>& warnings)
{
    const char expected[] = " (expected: [lang] with count=N and the sections [lang1] to [langN])";
    auto lang = sections.find("lang");
    if (lang == sections.end()) {
        warnings.push_back(At(path, 0) + " no [lang] section" + expected);
        return;
    }
    auto entry = lang->second.keys.find("count");
    if (entry == lang->second.keys.end()) {
        warnings.push_back(At(path, lang->second.line) + " [lang] has no count" + expected);
        return;
    }
    long count = Integer(entry->second.value);
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
        warnings.push_back(At(path, entry->second.line) + " [lang] count is " + std::to_string(count)
                           + " but the language sections are " + (list.empty() ? std::string("none") : list)
                           + ": the language page offers languages 1 to " + std::to_string(count));
    }
}

// No text of a lang.ini holds U+0000, while UTF-16 without its byte-order mark reads as
// ASCII and NULs in code page 936 and UTF-8 alike: such a file is refused, not carried
// as a text the profile reader cuts short.
bool NoNul(const std::string& path, const std::string& text, std::string& error)
{
    size_t nul = text.find('\0');
    if (nul == std::string::npos)
        return true;
    error = At(path, 1 + int(std::count(text.begin(), text.begin() + long(nul), '\n')))
        + " holds a NUL character (a UTF-16LE file needs its byte-order mark)";
    return false;
}

} // namespace

// A byte-order mark names the file's encoding whatever --lang-encoding says: the editor
// that wrote the file put it there, while the option is one word for the whole build. Read
// in code page 936 instead, FF FE is no text at all and EF BB BF glues two Chinese
// characters to the first line, hiding the section it opens; taken as the mark, neither
// loses a file that works. UTF-16LE is what the setup carries, so such a file is kept byte
// for byte once it reads as UTF-16.
bool LangIni::Convert(const std::string& path, const std::vector<uint8_t>& file, bool utf8, std::string& text,
                      std::vector<uint8_t>& carried, std::string& error)
{
    text.clear();
    carried.clear();
    if (file.size() >= 2 && file[0] == 0xFF && file[1] == 0xFE) {
        size_t units = 0;
        if (Utf8Text::FromUtf16Le(file.data() + 2, file.size() - 2, text, units)) {
            carried = file;
            return NoNul(path, text, error);
        }
        int line = 1;
        for (size_t i = 0; i < units; ++i)
            line += file[2 + 2 * i] == '\n' && file[3 + 2 * i] == 0;
        error = At(path, line) + " not UTF-16LE (a surrogate without its partner, or an odd number of bytes)";
        return false;
    }
    std::string bytes(file.begin(), file.end());
    const bool marked = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    if (marked)
        bytes.erase(0, 3);
    utf8 = utf8 || marked;
    size_t start = 0;
    for (int line = 1; start < bytes.size(); ++line) {
        size_t end = bytes.find('\n', start);
        end = end == std::string::npos ? bytes.size() : end + 1;
        std::string part = bytes.substr(start, end - start), converted;
        start = end;
        if (utf8 ? Utf8Text::Valid(part) : ZipPlatform::ToUtf8(part, 936, converted)) {
            text += utf8 ? part : converted;
            continue;
        }
        if (marked)
            error = At(path, line) + " not UTF-8, though the file starts with the UTF-8 byte-order mark";
        else if (utf8)
            error = At(path, line) + " not UTF-8 (give the file in UTF-8, or in code page 936 without --lang-encoding)";
        else if (Utf8Text::Valid(bytes))
            error = At(path, line)
                + " not text in code page 936, but the file reads as UTF-8: give --lang-encoding utf-8";
        else
            error = At(path, line) + " not text in code page 936 (give the file in code page 936, in UTF-8 with "
                                     "--lang-encoding utf-8, or in UTF-16LE with its byte-order mark)";
        return false;
    }
    carried = {0xFF, 0xFE};
    return NoNul(path, text, error) && Utf8Text::AppendUtf16Le(text, carried);
}

void LangIni::Check(const std::string& path, const std::string& text, const std::vector<ProductItem>& product,
                    std::vector<std::string>& warnings)
{
    std::set<std::string> files, folders;
    // Names are compared as text, in UTF-8. A name the archive does not declare UTF-8 is
    // read in code page 936, as a Simplified Chinese system installs it, whatever system
    // the packer runs on; one that is no text there is left out.
    for (const ProductItem& item : product) {
        std::string name = item.name;
        if (!item.utf8 && !ZipPlatform::ToUtf8(item.name, 936, name))
            continue;
        std::vector<std::string> components = ProductNames::Components(name);
        (item.directory ? folders : files).insert(ProductNames::Key(components));
        while (!components.empty()) {
            components.pop_back();
            folders.insert(ProductNames::Key(components));
        }
    }
    for (const char* needed : {"terminal.exe", "terminal.ico"}) {
        if (!files.count(needed))
            warnings.push_back(std::string("the product has no ") + needed
                               + ": the program's shortcuts and the finish page's launch use it");
    }
    if (path.empty())
        return;

    Sections sections = Parse(text);
    CheckLinks(path, sections, files, folders, warnings);
    CheckLanguages(path, sections, warnings);
}
