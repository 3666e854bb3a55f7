#pragma once
// Read access to one profile (INI) file. Every read goes to the file through the
// system's profile reader with its default, so a missing file, section or key falls
// back to the default and a change of file shows at the next read. Nothing is cached
// here, and the file's contents are never changed: SetFile only has the system drop its
// own parsed copy of the file.
//
// Names, values and the path are UTF-8 here; the reader is the system's UTF-16 one. A
// file that begins with the UTF-16LE byte-order mark is read as Unicode and holds any
// language; a file without a mark is read as text of the machine's ANSI code page (the
// system reader's own rule), so an older file in code page 936 reads as before there.
#include <string>

class ProfileFile {
public:
    ProfileFile() = default;
    virtual ~ProfileFile() = default;

    // Replaces the file that later reads use; nothing else changes.
    void SetFile(const std::string& path);
    const std::string& GetFile() const { return iniPath_; }

    // The value of key in section, at most 2047 characters (UTF-16 units; a longer value
    // is cut, never inside a character), or defaultValue when the file, the section or
    // the key is absent. A key present with an empty value reads as the empty string.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;

    // The value read as text (defaultValue offered as its decimal text) and converted as
    // leading white space, an optional sign and the decimal digits up to the first other
    // character; no digits give 0, so "abc" reads 0, not defaultValue.
    int ReadInt(const std::string& section, const std::string& key, int defaultValue) const;

    // The conversion ReadInt applies.
    static int ToInt(const std::string& text);

private:
    // A bare name is resolved by the profile reader in the Windows directory.
    std::string iniPath_ = "system.ini";
};
