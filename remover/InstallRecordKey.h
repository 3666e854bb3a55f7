#pragma once
// The install record: one volatile key below HKEY_CURRENT_USER. The engine writes its
// values at the end of an installation; the engine, the remover and the uninstaller read
// them; rollbacks and the uninstaller delete them; the remover keeps "Repair".
class InstallRecordKey {
public:
    static constexpr const char Path[] = "Software\\Orvanta";

    static constexpr const char InstallPath[] = "InstallPath";
    static constexpr const char ProgramGroup[] = "ProgramGroup";
    static constexpr const char DesktopName[] = "DesktopName";
    static constexpr const char SetupName[] = "SetupName";
    static constexpr const char Install[] = "Install";
    static constexpr const char Repair[] = "Repair";

    // The values an installation writes.
    static constexpr const char* const Written[] = {InstallPath, ProgramGroup, DesktopName, SetupName, Install};

    // Deletes the key. A key that keeps subkeys (the installed product may store its own
    // settings below it) survives its deletion, so the values an installation writes are
    // then deleted one by one: left behind, they would name a folder to remove later.
    static void Delete();
};
