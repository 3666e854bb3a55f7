#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Which encoding an archive declares for an item's stored name. Archivers mark a UTF-8 name
// with general-purpose flag bit 11, or keep a name in the local code page and add the
// UTF-8 form in an Info-ZIP Unicode Path record (0x7075), valid only while the CRC-32 it
// carries matches the stored name. Names with neither are bytes of some code page: the
// machine's own is the only guess that an archive made on it gets right.
class ZipItemName {
public:
    static constexpr uint32_t Utf8Flag = 0x800;

    // The UTF-8 form of the stored name, or false when the archive declares none. extra and
    // otherExtra are the item's central and local extra fields (either may be empty).
    static bool Utf8(const std::string& stored, uint32_t flags, const uint8_t* extra, size_t extraLength,
                     const uint8_t* otherExtra, size_t otherLength, std::string& utf8);

    // The name as UTF-8 text: a declared UTF-8 name as it is, an undeclared one converted
    // from the machine's code page. False for a damaged name: declared UTF-8 but not
    // well-formed, or undeclared bytes that are no text in that code page. A damaged name is
    // never repaired: a replacement character would put the item under another name.
    static bool Text(const std::string& stored, uint32_t flags, const uint8_t* extra, size_t extraLength,
                     const uint8_t* otherExtra, size_t otherLength, std::string& utf8);

    // True for well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
    static bool IsUtf8(const std::string& text);

    // The longest start of the well-formed UTF-8 text that takes at most `units` UTF-16
    // units, the measure of Windows path limits; a character is never split.
    static std::string Cut(const std::string& utf8, size_t units);

private:
    static bool UnicodePath(const std::string& stored, const uint8_t* extra, size_t length, std::string& utf8);
};
