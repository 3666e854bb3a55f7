#pragma once
#include <cstddef>
#include <cstdint>

struct ZipItemInfo;

// The times of an item: its MS-DOS stamp, then the extended timestamp record ("UT") of its
// local extra data.
class ZipTimes {
public:
    // Seconds from 1601-01-01 to 1970-01-01.
    static constexpr int64_t UnixEpochOffset = 11644473600;

    // The MS-DOS date (high half) and time (low half) taken as local time, in UTC; false when
    // the stamp names no valid date.
    static bool FromDosDateTime(uint32_t dosDateTime, uint64_t& fileTime);
    static uint64_t FromUnixSeconds(int32_t seconds);

    // Sets all three times of info from the MS-DOS stamp, then overrides them from the first
    // "UT" record of the local extra data.
    static void Fill(uint32_t dosDateTime, const uint8_t* extra, size_t extraLength, ZipItemInfo& info);
};
