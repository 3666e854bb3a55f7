#pragma once
#include <string>

// Whether a setup's container came through whole: found, unpacked in full, and its product
// archive equal to the checksum the packer stored beside it. A setup that fails it is a
// truncated or damaged download, and says so before any wizard page instead of failing
// late, at the installation.
class UnpackCheck {
public:
    // unpacked: the engine found the container and unpacked every entry. installFolder:
    // the unpacked install folder. A container without a checksum passes on the first two.
    static bool Passes(bool unpacked, const std::string& installFolder);
};
