#pragma once
#include <windows.h>

#include <string>
#include <vector>

// The files an installation replaces, kept until the run has succeeded. Before the run
// overwrites an existing file it moves that file, by rename (same volume, no copy), into
// a hidden folder of the install directory; a failed or abandoned run puts each one back
// byte for byte, a successful one deletes them at its end.
//
// The folder holds the files under their numbers (in folders of 256) and a journal: a
// header line, then one line per file, "number<TAB>name relative to the directory" in
// UTF-8, each line written before its rename. A run that dies half way (a crash, a power
// cut after the system flushed) leaves a folder from which the next run or the uninstaller
// puts everything back (Recover). A journal without the header was left by an earlier
// setup, its names in the machine's ANSI code page.
//
// One thread at a time: the install worker moves files aside, and the rollback restores
// only once the worker has ended.
class SetAside {
public:
    static constexpr const char FolderName[] = "~OrvantaSetAside";
    static constexpr const char JournalName[] = "journal.txt";

    explicit SetAside(const std::string& directory);
    virtual ~SetAside();
    SetAside(const SetAside&) = delete;
    SetAside& operator=(const SetAside&) = delete;

    // Moves directory\relative aside; false when it could not be moved (a locked file):
    // it then stays where it is, untouched.
    bool MoveAside(const std::string& relative);

    // Puts every file moved aside back in place, newest first, over whatever stands there
    // now, then removes the folder. False when one could not be put back: the folder and
    // what is still in it stay, for Recover.
    bool Restore();
    // Deletes the files moved aside and the folder.
    bool Discard();

    size_t Count() const { return moved_.size(); }
    const std::string& Folder() const { return folder_; }

    // True when directory holds a folder left by an interrupted run.
    static bool Pending(const std::string& directory);
    // Restores such a folder; the number of files put back, or -1 when one could not be
    // (or the folder is no set-aside folder of ours: a link, a file).
    static int Recover(const std::string& directory);

private:
    bool Open();
    bool LoadJournal();
    void CloseJournal();
    std::string Bucket(size_t index) const;
    std::string Stored(size_t index) const;

    static constexpr size_t kBucketFiles = 256;

    std::string directory_;
    std::string folder_;
    std::vector<std::string> moved_;  // relative names; the index is the stored file's name
    HANDLE journal_ = INVALID_HANDLE_VALUE;
};
