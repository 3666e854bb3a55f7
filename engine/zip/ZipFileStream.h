#pragma once
#include <ioapi.h>

#include "engine/zip/ZipPlatform.h"

// minizip's file-function table over ZipPlatform's files, so minizip reads the archive
// through the Win32 handle in the setup and through a descriptor on the host.
class ZipFileStream {
public:
    // held: a file open for reading that minizip reads instead of opening the file it is
    // given by name, and never closes; null: minizip opens and closes the named file.
    static zlib_filefunc64_def Functions(ZipPlatform::File held = nullptr);
};
