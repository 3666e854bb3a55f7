#pragma once
// A ZipPlatform over the C library that counts the reads by the offset they start at, for
// tests that must show where the reader went in its file.

#include <cstdint>

// Reads since the program started that began at the given offset of their file.
long ZipPlatformReadsFrom(int64_t offset);
