#include "app/UnpackCheck.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include <zlib.h>

#include "container/PayloadContainer.h"
#include "container/ScopedFile.h"
#include "container/SetupLayout.h"

namespace {

// Large reads: the payload is the whole product, read once more right after unpacking.
constexpr size_t ReadChunk = 1 << 20;

bool FileCrc(const std::string& path, uint32_t& crc)
{
    ScopedFile file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return false;
    std::vector<unsigned char> buffer(ReadChunk);
    uLong sum = crc32(0L, Z_NULL, 0);
    size_t n = 0;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), file.get())) > 0)
        sum = crc32(sum, buffer.data(), static_cast<uInt>(n));
    if (std::ferror(file.get()))
        return false;
    crc = static_cast<uint32_t>(sum);
    return true;
}

} // namespace

bool UnpackCheck::Passes(bool unpacked, const std::string& installFolder)
{
    if (!unpacked)
        return false;
    std::string payload = PayloadContainer::JoinPath(installFolder, SetupLayout::Payload);
    ScopedFile stored(std::fopen(PayloadContainer::JoinPath(installFolder, SetupLayout::PayloadChecksum).c_str(), "rb"));
    if (!stored) {
        ScopedFile present(std::fopen(payload.c_str(), "rb"));
        return present != nullptr;
    }
    unsigned char b[5];
    if (std::fread(b, 1, sizeof b, stored.get()) != 4)
        return false;
    uint32_t expected = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    uint32_t actual = 0;
    return FileCrc(payload, actual) && actual == expected;
}
