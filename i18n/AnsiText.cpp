#include "i18n/AnsiText.h"

#include <windows.h>

#include <cstring>

namespace {

// Length of the character at offset: 2 for a lead byte followed by a trail byte, else 1.
// A lead byte in the last position stands alone, as the system's own routines treat it.
std::size_t CharLength(const std::string& text, std::size_t offset)
{
    if (offset + 1 < text.size() && IsDBCSLeadByte(static_cast<BYTE>(text[offset])))
        return 2;
    return 1;
}

} // namespace

namespace AnsiText {

std::size_t Find(const std::string& text, const std::string& pattern, std::size_t from)
{
    for (std::size_t offset = from; offset <= text.size(); offset += CharLength(text, offset)) {
        if (text.size() - offset < pattern.size())
            return std::string::npos;
        if (std::memcmp(text.data() + offset, pattern.data(), pattern.size()) == 0)
            return offset;
    }
    return std::string::npos;
}

std::size_t FindLast(const std::string& text, char ch)
{
    std::size_t found = std::string::npos;
    for (std::size_t offset = 0; offset < text.size(); offset += CharLength(text, offset)) {
        if (text[offset] == ch)
            found = offset;
    }
    return found;
}

} // namespace AnsiText
