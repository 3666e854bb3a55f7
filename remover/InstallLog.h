#pragma once
#include <string>
#include <utility>
#include <vector>

// The record of what one installation put on the machine, kept as a file beside
// Uninstall.exe in the install directory. The engine writes it at the end of a
// successful run; the rollback of a later run and the uninstaller remove exactly what it
// lists, and nothing else. This class is the one home of its format; it is portable (the
// host build fuzzes the reader).
//
// The file is text, one entry a line ended by LF, "key<TAB>value"; '%', TAB, CR and LF in
// a value are written as %25, %09, %0D, %0A. The first line is the header, the last
// line "end": a log cut short (a crash while it was written) is no log. Unknown keys are
// skipped, so a later version may add some. The header's number tells how names are
// written: version 2, which this setup writes, holds UTF-8; version 1, written by earlier
// setups, holds bytes of the ANSI code page of the machine the setup ran on.
//
//   Orvanta install log 2
//   directory          the install directory's full path as installed
//   directory-existed  1 when it existed before the first installation into it, else 0
//   parent             a missing parent of the install directory that was created (full path)
//   folder             a folder below the install directory that was created (relative)
//   file               a file below the install directory that was written (relative)
//   group              the program group folder's full path
//   group-existed      1 when the group folder existed before, else 0
//   earlier-group      a group folder an earlier run into the same directory created (full path)
//   shortcut           a shortcut that was saved (full path)
//   record             a value of the install record: name=value
//   end
class InstallLog {
public:
    static constexpr const char FileName[] = "Uninstall.log";
    static constexpr const char Header[] = "Orvanta install log 2";
    static constexpr const char CodePageHeader[] = "Orvanta install log 1";
    static constexpr int Utf8Version = 2;
    static constexpr int CodePageVersion = 1;

    // Bytes of the machine's ANSI code page as UTF-8; false for bytes that are no text there.
    using CodePageConverter = bool (*)(const std::string& bytes, std::string& utf8);

    // The form of every name and record value below; Serialize writes the matching header.
    int version = Utf8Version;
    std::string directory;
    bool directoryExisted = false;
    std::vector<std::string> parents;
    std::vector<std::string> folders;
    std::vector<std::string> files;
    std::string group;
    bool groupExisted = false;
    std::vector<std::string> earlierGroups;
    std::vector<std::string> shortcuts;
    std::vector<std::pair<std::string, std::string>> record;

    std::string Serialize() const;
    // Either version, its names as written. False for text that is not a complete log (no
    // header, no "end", a bad escape); the log is then left empty.
    bool Parse(const std::string& text);

    // Turns a version-1 log's names and record values into UTF-8. An entry that is no text
    // in the code page is dropped, as the setup that wrote it could never have named a file
    // with it: the log can only ever remove less.
    void ConvertFromCodePage(CodePageConverter convert);

    // Reads the log kept in directory, in UTF-8 whichever version it is (InstallLogPlatform
    // converts a version-1 log's names); false when there is none or it is no complete log.
    bool Load(const std::string& directory);
    static std::string PathIn(const std::string& directory);

    // Adds each entry of `earlier` that this log lacks, and takes over what existed before
    // the first installation: a reinstallation's log then still names everything the
    // earlier runs into the same directory put there.
    void Inherit(const InstallLog& earlier);
};
