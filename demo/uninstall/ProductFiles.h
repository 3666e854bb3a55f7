#pragma once
// What the demo product installs, relative to its install directory, and the extra
// shortcuts its lang.ini asks for. Kept beside the product's sources (demo/product and
// demo/lang.ini.in): a file added there is added here too.
inline const char* const kProductFiles[] = {
    "terminal.exe",
    "terminal.ico",
    "Uninstall.exe",
    "readme.txt",
    "docs\\licence.txt",
};

// Folders below the install directory, parents before children.
inline const char* const kProductFolders[] = {
    "docs",
};

inline const char* const kGroupLinks[] = {
    "Readme.lnk",
    "Licence.lnk",
};
