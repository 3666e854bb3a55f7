#pragma once
#include <string>
#include <vector>

// Where the users' profiles live, as the system registers them in its profile list
// (HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\ProfileList): every registered
// user's profile folder, and the folder that holds the profiles. The current user's own
// folders are not enough for the removal guard: a recorded path may name another user's
// profile just as well.
class ProfileFolders {
public:
    // Each registered profile's folder ("ProfileImagePath" of each user's key), and the
    // default and public profiles, with environment variables expanded. Relative or
    // unexpandable values are left out.
    static std::vector<std::wstring> Profiles();
    // The folder that holds the profiles ("ProfilesDirectory", expanded); empty when the
    // system names none.
    static std::wstring ProfilesDirectory();

private:
    static std::wstring ReadPath(const wchar_t* subkey, const wchar_t* value);
};
