#pragma once
#include <string>

// Decides, before anything is enumerated or deleted, whether a path may be removed. The
// remover is handed paths from the registry record and from the user's typing, so a
// mistake there must never be able to wipe a drive, a system folder or another user's or
// vendor's files.
class RemovalGuard {
public:
    // True for a path that must never be removed:
    // - empty, relative ("dir", "C:dir", "\dir") or device ("\\?\", "\\.\") paths;
    // - volume roots ("C:\", "C:", "\\server\share");
    // - paths with a colon past the drive letter (streams, "C:\Windows::$INDEX_ALLOCATION");
    // - the system's well-known folders taken as a whole (Windows and system folders,
    //   both Program Files and their common files, the user's profile and the folder
    //   holding the profiles, desktop, documents, downloads, media, application data,
    //   templates and temporary folders, the Start menu and Programs folders of the user
    //   and of all users), every user's registered profile, and every folder that
    //   contains one of them;
    // - every folder directly inside the folder holding the profiles (a user's profile
    //   whether registered or not);
    // - everything inside the Windows and system folders.
    // The comparison works on the full, long form of the path, case-insensitively and
    // regardless of trailing backslashes, "." and ".." parts or 8.3 short names; for an
    // existing path also on its final form, through links, junctions and substituted
    // drives; for a share of this computer's drive ("\\localhost\C$\dir") also on the
    // local path it stands for.
    static bool Refuses(const std::string& path);

    // True for a path that must never be removed as a whole tree: what Refuses refuses,
    // and every folder directly inside Program Files, their common files or a Programs
    // folder of the Start menu. Each of those belongs to some vendor or product, and a
    // recorded name cannot tell whose: the product's own folder there goes only by the
    // list of what its run created, never as a whole.
    static bool RefusesTree(const std::string& path);

    // True for a drive-absolute ("C:\...") or UNC ("\\server\share...") path.
    static bool IsAbsolute(const std::string& path);

    // True for a name that stays below the folder it is appended to: not empty, not
    // absolute, no drive, no ".." part (used for the recorded program group's name).
    static bool IsNameBelow(const std::string& name);
};
