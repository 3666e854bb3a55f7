#include "engine/zip/ZipTimes.h"

#include "engine/zip/ZipItemInfo.h"
#include "engine/zip/ZipPlatform.h"

namespace {

int32_t ReadInt32(const uint8_t* p)
{
    return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

// The extended timestamp record: flags, then a time for each flag set (modification, access,
// creation). A time is taken only when its four bytes lie inside both the record and the
// extra data, so a record that claims more than it holds cannot read past either.
void ApplyExtendedTimestamp(const uint8_t* extra, size_t extraLength, size_t record, ZipItemInfo& info)
{
    size_t end = record + 4 + extra[record + 2];
    if (end > extraLength)
        end = extraLength;
    uint8_t flags = extra[record + 4];
    uint64_t* fields[] = {&info.writeTime, &info.accessTime, &info.creationTime};
    size_t position = record + 5;
    for (int bit = 0; bit < 3; ++bit) {
        if ((flags & (1u << bit)) == 0)
            continue;
        if (position + 4 > end)
            return;
        *fields[bit] = ZipTimes::FromUnixSeconds(ReadInt32(extra + position));
        position += 4;
    }
}

} // namespace

bool ZipTimes::FromDosDateTime(uint32_t dosDateTime, uint64_t& fileTime)
{
    ZipSystemTime local;
    local.year = uint16_t(1980 + (dosDateTime >> 25));
    local.month = uint16_t((dosDateTime >> 21) & 0x0F);
    local.day = uint16_t((dosDateTime >> 16) & 0x1F);
    local.hour = uint16_t((dosDateTime >> 11) & 0x1F);
    local.minute = uint16_t((dosDateTime >> 5) & 0x3F);
    local.second = uint16_t((dosDateTime & 0x1F) * 2);
    uint64_t localFileTime = 0;
    return ZipPlatform::SystemTimeToFileTime(local, localFileTime)
        && ZipPlatform::LocalFileTimeToFileTime(localFileTime, fileTime);
}

uint64_t ZipTimes::FromUnixSeconds(int32_t seconds)
{
    return uint64_t(int64_t(seconds) + UnixEpochOffset) * 10000000u;
}

void ZipTimes::Fill(uint32_t dosDateTime, const uint8_t* extra, size_t extraLength, ZipItemInfo& info)
{
    // A stamp that names no valid date (month 0, day 31 of a short month, ...) gives no time
    // at all rather than a guess.
    uint64_t stamp = 0;
    if (!FromDosDateTime(dosDateTime, stamp))
        stamp = 0;
    info.writeTime = info.accessTime = info.creationTime = stamp;

    if (extraLength <= 4)
        return;
    // Records are two identifier bytes, a length of which only the first byte counts, and
    // the data.
    for (size_t record = 0; record + 4 < extraLength; record += 4 + extra[record + 2]) {
        if (extra[record] == 'U' && extra[record + 1] == 'T') {
            ApplyExtendedTimestamp(extra, extraLength, record, info);
            return;
        }
    }
}
