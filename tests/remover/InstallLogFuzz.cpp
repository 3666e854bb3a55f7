// The install log's reader under libFuzzer: any bytes are read without a fault, and a log
// it accepts reads back the same after it is written again.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "remover/InstallLog.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    InstallLog log;
    if (!log.Parse(std::string(reinterpret_cast<const char*>(data), size)))
        return 0;
    std::string text = log.Serialize();
    InstallLog again;
    if (!again.Parse(text) || again.Serialize() != text)
        std::abort();
    return 0;
}
