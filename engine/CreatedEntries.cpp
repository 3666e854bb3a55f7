#include "engine/CreatedEntries.h"

#include <windows.h>

#include "engine/ItemPath.h"
#include "framework/EventLog.h"
#include "framework/FileApi.h"

void CreatedEntries::Add(const std::string& path)
{
    std::lock_guard<std::mutex> guard(lock);
    paths.push_back(path);
}

std::vector<std::string> CreatedEntries::Snapshot() const
{
    std::lock_guard<std::mutex> guard(lock);
    return paths;
}

void CreatedEntries::AddWritten(const std::string& relative)
{
    std::lock_guard<std::mutex> guard(lock);
    written.push_back(relative);
}

std::vector<std::string> CreatedEntries::Written() const
{
    std::lock_guard<std::mutex> guard(lock);
    return written;
}

void CreatedEntries::AddShortcut(Shortcut shortcut)
{
    std::lock_guard<std::mutex> guard(lock);
    if (!shortcut.replaced)
        paths.push_back(shortcut.path);
    shortcuts.push_back(std::move(shortcut));
}

std::vector<CreatedEntries::Shortcut> CreatedEntries::Shortcuts() const
{
    std::lock_guard<std::mutex> guard(lock);
    return shortcuts;
}

bool CreatedEntries::EnsureFolder(const std::string& folder)
{
    std::string path = folder;
    while (ItemPath::EndsWithSeparator(path) && path.size() > 1)
        path.pop_back();
    if (path.empty())
        return false;
    DWORD attributes = FileApi::Attributes(path);
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    std::string parent = ItemPath::Parent(path);
    if (!parent.empty() && parent != path && !EnsureFolder(parent))
        return false;
    if (FileApi::MakeFolder(path)) {
        Add(path);
        EventLog::Instance().Write("created folder: " + path);
        return true;
    }
    attributes = FileApi::Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}
