#include "remover/InstallLog.h"

#include "remover/InstallLogPlatform.h"

#include <algorithm>

namespace {

const char kEnd[] = "end";

std::string Escape(const std::string& value)
{
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        switch (c) {
        case '%': out += "%25"; break;
        case '\t': out += "%09"; break;
        case '\r': out += "%0D"; break;
        case '\n': out += "%0A"; break;
        default: out += c;
        }
    }
    return out;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool Unescape(const std::string& value, std::string& out)
{
    out.clear();
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '%') {
            out += value[i];
            continue;
        }
        int high = i + 1 < value.size() ? HexDigit(value[i + 1]) : -1;
        int low = i + 2 < value.size() ? HexDigit(value[i + 2]) : -1;
        if (high < 0 || low < 0)
            return false;
        out += char(high * 16 + low);
        i += 2;
    }
    return true;
}

void Line(std::string& text, const char* key, const std::string& value)
{
    text += key;
    text += '\t';
    text += Escape(value);
    text += '\n';
}

template <class T>
void AddMissing(std::vector<T>& to, const std::vector<T>& from)
{
    for (const T& item : from) {
        if (std::find(to.begin(), to.end(), item) == to.end())
            to.push_back(item);
    }
}

// A name that is no text in the code page becomes empty; callers drop empty names.
std::string Converted(const std::string& bytes, InstallLog::CodePageConverter convert)
{
    std::string utf8;
    return convert(bytes, utf8) ? utf8 : std::string();
}

void ConvertAll(std::vector<std::string>& names, InstallLog::CodePageConverter convert)
{
    std::vector<std::string> kept;
    for (const std::string& name : names) {
        std::string utf8 = Converted(name, convert);
        if (!utf8.empty())
            kept.push_back(utf8);
    }
    names = std::move(kept);
}

} // namespace

std::string InstallLog::Serialize() const
{
    std::string text = std::string(version == CodePageVersion ? CodePageHeader : Header) + "\n";
    Line(text, "directory", directory);
    Line(text, "directory-existed", directoryExisted ? "1" : "0");
    for (const std::string& parent : parents)
        Line(text, "parent", parent);
    for (const std::string& folder : folders)
        Line(text, "folder", folder);
    for (const std::string& file : files)
        Line(text, "file", file);
    Line(text, "group", group);
    Line(text, "group-existed", groupExisted ? "1" : "0");
    for (const std::string& earlier : earlierGroups)
        Line(text, "earlier-group", earlier);
    for (const std::string& shortcut : shortcuts)
        Line(text, "shortcut", shortcut);
    for (const auto& value : record)
        Line(text, "record", value.first + "=" + value.second);
    text += kEnd;
    text += '\n';
    return text;
}

bool InstallLog::Parse(const std::string& text)
{
    *this = InstallLog();
    InstallLog log;
    bool ended = false;
    size_t start = 0;
    for (bool first = true; start < text.size(); first = false) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            return false;  // every line, "end" included, is ended
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (first) {
            if (line != Header && line != CodePageHeader)
                return false;
            log.version = line == Header ? Utf8Version : CodePageVersion;
            continue;
        }
        if (ended)
            return false;  // nothing may follow "end"
        if (line == kEnd) {
            ended = true;
            continue;
        }
        size_t tab = line.find('\t');
        if (tab == std::string::npos)
            return false;
        std::string key = line.substr(0, tab), value;
        if (!Unescape(line.substr(tab + 1), value))
            return false;
        if (key == "directory")
            log.directory = value;
        else if (key == "directory-existed")
            log.directoryExisted = value == "1";
        else if (key == "parent")
            log.parents.push_back(value);
        else if (key == "folder")
            log.folders.push_back(value);
        else if (key == "file")
            log.files.push_back(value);
        else if (key == "group")
            log.group = value;
        else if (key == "group-existed")
            log.groupExisted = value == "1";
        else if (key == "earlier-group")
            log.earlierGroups.push_back(value);
        else if (key == "shortcut")
            log.shortcuts.push_back(value);
        else if (key == "record") {
            size_t equals = value.find('=');
            if (equals == std::string::npos)
                return false;
            log.record.emplace_back(value.substr(0, equals), value.substr(equals + 1));
        }
    }
    if (!ended)
        return false;
    *this = std::move(log);
    return true;
}

std::string InstallLog::PathIn(const std::string& directory)
{
    return directory + "\\" + FileName;
}

bool InstallLog::Load(const std::string& directory)
{
    *this = InstallLog();
    // A log names one installation's entries; anything far larger is not one.
    constexpr size_t kMaxBytes = 64u << 20;
    std::string text;
    if (!InstallLogPlatform::Read(PathIn(directory), text, kMaxBytes) || !Parse(text))
        return false;
    ConvertFromCodePage(&InstallLogPlatform::CodePageToUtf8);
    return true;
}

void InstallLog::ConvertFromCodePage(CodePageConverter convert)
{
    if (version != CodePageVersion)
        return;
    directory = Converted(directory, convert);
    ConvertAll(parents, convert);
    ConvertAll(folders, convert);
    ConvertAll(files, convert);
    group = Converted(group, convert);
    ConvertAll(earlierGroups, convert);
    ConvertAll(shortcuts, convert);
    std::vector<std::pair<std::string, std::string>> values;
    for (const auto& value : record) {
        std::string name = Converted(value.first, convert), text = Converted(value.second, convert);
        if (!name.empty() && (!text.empty() || value.second.empty()))
            values.emplace_back(name, text);
    }
    record = std::move(values);
    version = Utf8Version;
}

void InstallLog::Inherit(const InstallLog& earlier)
{
    directoryExisted = earlier.directoryExisted;
    AddMissing(parents, earlier.parents);
    AddMissing(folders, earlier.folders);
    AddMissing(files, earlier.files);
    // A group an earlier run created elsewhere is still that installation's to remove.
    if (group == earlier.group)
        groupExisted = earlier.groupExisted;
    else if (!earlier.group.empty() && !earlier.groupExisted)
        earlierGroups.push_back(earlier.group);
    AddMissing(earlierGroups, earlier.earlierGroups);
    earlierGroups.erase(std::remove(earlierGroups.begin(), earlierGroups.end(), group), earlierGroups.end());
    AddMissing(shortcuts, earlier.shortcuts);
}
