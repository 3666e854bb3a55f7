#pragma once
#include <ioapi.h>

// minizip's file-function table over ZipPlatform's files, so minizip reads the archive
// through the Win32 handle in the setup and through a descriptor on the host.
class ZipFileStream {
public:
    static zlib_filefunc64_def Functions();
};
