#include "remover/InstallLogPlatform.h"

#include "engine/zip/ZipPlatform.h"

#include <cstdio>
#include <memory>

bool InstallLogPlatform::Read(const std::string& path, std::string& bytes, size_t maxBytes)
{
    bytes.clear();
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, Closer> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return false;
    char chunk[16384];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file.get())) > 0;) {
        bytes.append(chunk, n);
        if (bytes.size() > maxBytes)
            return false;
    }
    return !std::ferror(file.get());
}

// The host's reading of the setup's own code page is the ZIP reader's.
bool InstallLogPlatform::CodePageToUtf8(const std::string& bytes, std::string& utf8)
{
    return ZipPlatform::ToUtf8(bytes, 936, utf8);
}
