#pragma once
// A ZipPlatform over the C library that counts every call into it, for tests that must
// show the reader did not touch its file.

// Calls into the platform since the program started.
long ZipPlatformCalls();
