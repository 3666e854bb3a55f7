#pragma once
#include <string>

// Path rules of the install engine: where an archive item may be written, and how two
// directory paths compare. Paths are UTF-8, where no byte of a character outside ASCII is
// ever a separator, a dot or a colon.
class ItemPath {
public:
    // The full path of an item below the install directory, or false when the item must
    // not be written: an empty name, a drive, UNC or rooted name, a ":" anywhere (streams,
    // devices), a component made of dots and spaces only ("..", "...", ". ") other than
    // ".", which names the folder it is in and is skipped ("./a.txt" is "a.txt"), a reserved
    // device name (CON, NUL, COM1, ...), or any other name whose full path would not lie
    // strictly below the install directory's full path.
    static bool Resolve(const std::string& installDirectory, const std::string& name, std::string& fullPath);

    // True for a name that names the folder it is appended to: nothing but separators
    // and "." components ("", "./", "./.").
    static bool IsSameFolder(const std::string& name);

    // The absolute, normalised form of path (GetFullPathNameW); empty when it has none.
    static std::string Full(const std::string& path);

    // The folder part of path: everything before its last separator; empty when it has none.
    static std::string Parent(const std::string& path);

    // True when path ends with "\" or "/" as a character of its own.
    static bool EndsWithSeparator(const std::string& path);

    // Same directory: compared case-insensitively as the file system does, ignoring one
    // trailing backslash on either side. Empty paths are never the same as anything.
    static bool SameDirectory(const std::string& a, const std::string& b);

private:
    static bool IsSafeComponent(const std::string& component);
};
