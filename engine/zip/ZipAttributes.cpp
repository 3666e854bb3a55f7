#include "engine/zip/ZipAttributes.h"

#include "engine/zip/ZipItemInfo.h"

uint32_t ZipAttributes::FromExternal(uint32_t versionMadeBy, uint32_t externalAttributes)
{
    uint32_t host = (versionMadeBy >> 8) & 0xFF;
    const uint32_t known = ZipItemInfo::ReadOnly | ZipItemInfo::Hidden | ZipItemInfo::System
        | ZipItemInfo::Directory | ZipItemInfo::Archive;
    // MS-DOS, Macintosh, NTFS and VFAT hosts store the DOS attribute byte itself.
    if (host == 0 || host == 7 || host == 11 || host == 14)
        return externalAttributes & known;

    // Everyone else is read as Unix: the mode sits in the high half.
    uint32_t attributes = ZipItemInfo::Archive;
    if (externalAttributes & 0x40000000u)
        attributes |= ZipItemInfo::Directory;
    if ((externalAttributes & 0x00800000u) == 0)
        attributes |= ZipItemInfo::ReadOnly;
    return attributes;
}
