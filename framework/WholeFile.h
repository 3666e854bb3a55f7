#pragma once
#include <cstddef>
#include <string>

// A small file read at once by its UTF-8 path: the lists and logs a removal goes by.
class WholeFile {
public:
    // The file's bytes; false when it cannot be opened or read, or holds more than
    // maxBytes (nothing that large is one of those files).
    static bool Read(const std::string& path, std::string& bytes, size_t maxBytes);
};
