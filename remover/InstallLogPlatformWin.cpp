#include "remover/InstallLogPlatform.h"

#include "framework/WholeFile.h"
#include "framework/WideText.h"

bool InstallLogPlatform::Read(const std::string& path, std::string& bytes, size_t maxBytes)
{
    return WholeFile::Read(path, bytes, maxBytes);
}

// The code page is the one the A functions used when the earlier setup named the files,
// so each name reaches the very file it named then.
bool InstallLogPlatform::CodePageToUtf8(const std::string& bytes, std::string& utf8)
{
    utf8 = WideText::Utf8FromCodePage(bytes, 0);
    return !utf8.empty() || bytes.empty();
}
