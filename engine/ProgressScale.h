#pragma once
#include <cstdint>

// Turns byte counts into the 32-bit units that notices carry and the progress bars show.
//
// Payloads below 2 GiB are counted in bytes (one unit per byte). A larger payload is
// counted in units of 2^shift bytes, the smallest power of two that brings its total
// within INT32_MAX. A file's chunk notices carry Units(written after) - Units(written
// before), so they still add up exactly to the Units of the file's size, and those of
// all files to the total notice, however the bytes fall into chunks.
class ProgressScale {
public:
    explicit ProgressScale(uint64_t totalBytes);
    virtual ~ProgressScale() = default;

    int32_t Units(uint64_t bytes) const;
    // The notice units of a chunk that brought a file from `before` to `after` bytes.
    int32_t ChunkUnits(uint64_t before, uint64_t after) const { return Units(after) - Units(before); }

private:
    unsigned shift = 0;
};
