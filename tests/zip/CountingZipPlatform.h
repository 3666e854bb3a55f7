#pragma once
// A ZipPlatform over the C library that counts every call into it, for tests that must
// show the reader did not touch its file.

#include <cstdint>

// Calls into the platform since the program started.
long ZipPlatformCalls();
// Reads since the program started, and those that began at the given offset of their file.
long ZipPlatformReads();
long ZipPlatformReadsFrom(int64_t offset);
