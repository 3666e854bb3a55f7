#include "engine/PayloadDecoder.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include <zlib.h>

#include "framework/HandleIo.h"

namespace {

// Payloads travel in a container whose positions are signed 32-bit.
constexpr uint64_t kLargestPayload = 0x7FFFFFFF;

} // namespace

// Eight bytes at a time from both ends: the same exchanges as the byte loop, in an
// eighth of the steps. The words are moved with memcpy, so no alignment is assumed.
void PayloadDecoder::Reverse(char* bytes, size_t count)
{
    size_t front = 0;
    size_t back = count;
    while (back - front >= 16) {
        uint64_t low, high;
        std::memcpy(&low, bytes + front, 8);
        std::memcpy(&high, bytes + back - 8, 8);
        low = __builtin_bswap64(low);
        high = __builtin_bswap64(high);
        std::memcpy(bytes + front, &high, 8);
        std::memcpy(bytes + back - 8, &low, 8);
        front += 8;
        back -= 8;
    }
    for (; back - front >= 2; ++front, --back)
        std::swap(bytes[front], bytes[back - 1]);
}

// The check and the reversal work on the same bytes in memory, so nothing can change them
// in between, whoever gets at the file meanwhile.
bool PayloadDecoder::Decode(HANDLE source, const PayloadSeal& seal, HANDLE target)
{
    LARGE_INTEGER start{}, size{};
    if (seal.size > kLargestPayload || !::GetFileSizeEx(source, &size) || uint64_t(size.QuadPart) != seal.size ||
        !::SetFilePointerEx(source, start, nullptr, FILE_BEGIN))
        return false;
    size_t count = static_cast<size_t>(seal.size);
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[count ? count : 1]);
    if (!buffer || !HandleIo::ReadAll(source, buffer.get(), count) ||
        crc32(0L, reinterpret_cast<const Bytef*>(buffer.get()), static_cast<uInt>(count)) != seal.crc)
        return false;
    Reverse(buffer.get(), count);
    return HandleIo::WriteAll(target, buffer.get(), count);
}
