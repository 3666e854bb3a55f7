// The install log's reader under libFuzzer: any bytes are read without a fault, a log it
// accepts reads back the same after it is written again, and so does a version-1 log once
// its names are UTF-8.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "remover/InstallLog.h"
#include "remover/InstallLogPlatform.h"

namespace {

void ReadsBack(const InstallLog& log)
{
    std::string text = log.Serialize();
    InstallLog again;
    if (!again.Parse(text) || again.version != log.version || again.Serialize() != text)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    InstallLog log;
    if (!log.Parse(std::string(reinterpret_cast<const char*>(data), size)))
        return 0;
    ReadsBack(log);
    log.ConvertFromCodePage(&InstallLogPlatform::CodePageToUtf8);
    if (log.version != InstallLog::Utf8Version)
        std::abort();
    ReadsBack(log);
    return 0;
}
