#pragma once

// Makes a stored item name safe to join below a target folder: drive letters, leading
// separators and parent-folder components are cut from its start until none is left.
class ZipNameRules {
public:
    // Cuts the zero-terminated name in place; the result is a suffix of the input.
    static void Apply(char* name);

    // The part of name that remains after the rules.
    static const char* Remainder(const char* name);
};
