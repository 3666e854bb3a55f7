#include "engine/PayloadDecoder.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "framework/ScopedHandle.h"

namespace {

// Payloads travel in a container whose positions are signed 32-bit.
constexpr LONGLONG kLargestPayload = 0x7FFFFFFF;

bool ReadAll(HANDLE file, char* bytes, size_t count)
{
    while (count > 0) {
        DWORD got = 0;
        if (!::ReadFile(file, bytes, static_cast<DWORD>(count), &got, nullptr) || got == 0)
            return false;
        bytes += got;
        count -= got;
    }
    return true;
}

bool WriteAll(HANDLE file, const char* bytes, size_t count)
{
    while (count > 0) {
        DWORD put = 0;
        if (!::WriteFile(file, bytes, static_cast<DWORD>(count), &put, nullptr) || put == 0)
            return false;
        bytes += put;
        count -= put;
    }
    return true;
}

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

bool PayloadDecoder::Decode(const std::string& source, const std::string& target)
{
    std::unique_ptr<char[]> buffer;
    size_t count = 0;
    {
        ScopedHandle in(::CreateFileA(source.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER size;
        if (!in || !::GetFileSizeEx(in.get(), &size) || size.QuadPart > kLargestPayload)
            return false;
        count = static_cast<size_t>(size.QuadPart);
        buffer.reset(new (std::nothrow) char[count ? count : 1]);
        if (!buffer || !ReadAll(in.get(), buffer.get(), count))
            return false;
    }
    Reverse(buffer.get(), count);
    ScopedHandle out(::CreateFileA(target.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out)
        return false;
    if (!WriteAll(out.get(), buffer.get(), count)) {
        out.reset();
        ::DeleteFileA(target.c_str());
        return false;
    }
    return true;
}
