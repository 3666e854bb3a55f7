#pragma once

// Keeps a program from loading a planted DLL. Setups and uninstallers start from folders
// anyone can write to (Downloads, the temporary folder), where a file named like a system
// DLL would otherwise be found before the system's own. A program made with
// orvanta_ship_program (cmake/ShippedPrograms.cmake) imports known DLLs only, and its entry
// point restricts the DLL search to the system folder before the C runtime starts, so no
// later load (its own or one a system DLL makes) searches its folder or the current one.
class DllSearchGuard {
public:
    // Restricts the search to the system folder; where that cannot be set (Windows 7
    // without its update), takes the current folder out of the search at least. Then
    // loads the helper DLLs that system DLLs load later from the system folder. True when
    // the system folder alone is searched.
    static bool RestrictToSystemFolder();

    // Loads a DLL that is not a known DLL by the full path of the system folder's copy,
    // never by its bare name; null on failure. The library stays loaded.
    static void* LoadSystemLibrary(const wchar_t* fileName);
};
