#pragma once
#include <string>

// The setup title of a container without touching the shared working folder: only the
// container's install\lang.ini is unpacked, into a private folder of its own below the
// temporary folder, read, and removed again. A refused second instance uses it, so that
// its warning names the right product while the running instance keeps its folder.
class ContainerTitle {
public:
    // `title` of section "install" of the container's lang.ini, or the built-in title
    // when the container, its lang.ini or the key is missing.
    static std::string Read(const std::string& containerPath);

    // Unpacks install\lang.ini of the container into folder (which must exist); false
    // when the container has none or it cannot be written.
    static bool ExtractLanguageFile(const std::string& containerPath, const std::string& folder);

    // A new, empty folder below the temporary folder, with a name no other process uses;
    // empty when none can be made.
    static std::string MakePrivateFolder();
};
