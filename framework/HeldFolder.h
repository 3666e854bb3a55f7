#pragma once
#include <windows.h>

#include <string>

#include "framework/ScopedHandle.h"

// A folder held open while the object lives. The handle shares reading and writing but
// not deletion, so nobody can rename or delete the folder meanwhile: the owner of a folder
// may otherwise do that to any folder in it, whoever made that, and put another in its
// place.
class HeldFolder {
public:
    enum Result { Held, Exists, Failed };

    // Creates path as a new folder with security (null: inherited) and holds it in the
    // same step, so that no other folder can take its place in between. A folder or file
    // that exists already is never taken: Exists.
    Result Create(const std::string& path, SECURITY_ATTRIBUTES* security);
    // Holds an existing folder; false for a link or junction or anything but a folder.
    bool Open(const std::string& path);
    void Release() { handle_.reset(); }

private:
    ScopedHandle handle_;
};
