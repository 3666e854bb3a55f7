#pragma once
#include <cstddef>
#include <string>

// What the install log's portable reader needs of the system: the file's bytes by its
// UTF-8 path, and the machine's ANSI code page, in which earlier setups wrote the names of
// a version-1 log. Win32 in the setup and the uninstaller; POSIX on the host, where the
// reader is unit-tested and fuzzed and code page 936, the setup's own, stands in for the
// machine's.
class InstallLogPlatform {
public:
    // False when the file cannot be read or holds more than maxBytes.
    static bool Read(const std::string& path, std::string& bytes, size_t maxBytes);
    // False for bytes that are no text in the code page.
    static bool CodePageToUtf8(const std::string& bytes, std::string& utf8);
};
