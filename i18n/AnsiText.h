#pragma once
// Searches in ANSI byte strings that step over the double-byte characters of the
// system's ANSI code page, so a trail byte that happens to equal an ASCII character
// (0x5C, the backslash, is a common GBK trail byte) is never taken for that character.
#include <cstddef>
#include <string>

namespace AnsiText {

// Offset of the first occurrence of pattern that starts on a character boundary at or
// after from (itself a boundary), or std::string::npos. An empty pattern is found at from.
std::size_t Find(const std::string& text, const std::string& pattern, std::size_t from = 0);

// Offset of the last single-byte character ch, or std::string::npos.
std::size_t FindLast(const std::string& text, char ch);

} // namespace AnsiText
