#pragma once
#include <cstdint>

// Result of every ZIP reader operation.
enum ZipStatus : uint32_t {
    ZipOk = 0,
    ZipNoFile = 0x200,
    ZipMore = 0x600,
    ZipBadHeader = 0x700,
    ZipReadFailed = 0x800,
    ZipPassword = 0x1000,
    ZipBadArgs = 0x10000,
    ZipInflateError = 0x5000000,
};
