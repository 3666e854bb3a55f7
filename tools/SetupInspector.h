#pragma once
#include <string>

// Looks into a built setup through the same reader the setup itself uses.
class SetupInspector {
public:
    // One line per entry, in the order the reader returns them, nested entries indented:
    // kind, absolute offset, size, name; a signed setup's listing starts with a line that
    // says so.
    static bool ListSetup(const std::string& setup, std::string& listing, std::string& error);
    // Writes the container's tree below folder with PayloadContainer::ExtractAll and, when
    // zipOut is not empty, the decoded product archive (install\Orva.in reversed). note
    // says whether the setup is signed (empty when not).
    static bool ExtractSetup(const std::string& setup, const std::string& folder, const std::string& zipOut,
                             std::string& note, std::string& error);
    // Whether the container is found and install\Orva.in matches the CRC-32 stored beside
    // it, as the setup checks before it unpacks.
    static bool CheckPayload(const std::string& setup, std::string& error);
};
