#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The packer's look at a Windows program it is given: an x86-64 GUI image carrying one of
// the markers the build stamps into its own programs, a named RCDATA resource
// (resources/setup_marker.rc, uninstaller_marker.rc) found through the resource directory.
class PeImage {
public:
    static constexpr const char* SetupMarker = "ORVANTA_SETUP_STUB";
    static constexpr const char* UninstallerMarker = "ORVANTA_UNINSTALLER";

    // False with what is wrong: "not a PE image", "not x86-64", "not a GUI program" or, when
    // marker is missing, "not " + role + " (no marker)".
    static bool Check(const std::vector<uint8_t>& image, const std::string& marker, const std::string& role,
                      std::string& why);
};
