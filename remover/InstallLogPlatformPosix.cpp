#include "remover/InstallLogPlatform.h"

#include <iconv.h>

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

bool InstallLogPlatform::CodePageToUtf8(const std::string& bytes, std::string& utf8)
{
    utf8.clear();
    iconv_t converter = iconv_open("UTF-8", "CP936");
    if (converter == iconv_t(-1))
        return false;
    // No character of code page 936 takes more than three bytes in UTF-8.
    std::string out(bytes.size() * 3 + 4, '\0');
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char* put = &out[0];
    size_t outLeft = out.size();
    bool ok = inLeft == 0 || iconv(converter, &in, &inLeft, &put, &outLeft) != size_t(-1);
    iconv_close(converter);
    if (!ok || inLeft != 0)
        return false;
    out.resize(out.size() - outLeft);
    utf8 = out;
    return true;
}
