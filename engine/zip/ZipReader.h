#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/zip/ZipItemInfo.h"
#include "engine/zip/ZipStatus.h"

class ZipReader;
class ZipEncryptedItem;

// What one ReadItem call produced, for callers that count bytes themselves.
struct ZipReadReport {
    // Bytes this call placed in the buffer, whatever the status (an error included). The
    // last chunk of an item of 2 GiB and more cannot be worked out from uncompressedSize.
    uint32_t delivered = 0;
    // The item ended in this call and its data does not match its recorded CRC-32. Only
    // a call given a report checks; the status stays ZipOk, as for every other caller.
    bool checksumFailed = false;
};

// An open archive; null is accepted everywhere and answered with ZipBadArgs.
using ZipHandle = ZipReader*;

// Handle-based reader of one ZIP archive file over minizip: item count and descriptions,
// item data chunk by chunk, safe item names. Used by one thread at a time; never throws.
class ZipReader {
public:
    // password: for encrypted items; null means none (the empty password). Null on failure.
    static ZipHandle OpenFile(const char* fileName, const char* password);
    // The archive in a file the caller holds open for reading (a Win32 handle in the setup),
    // read from its start; the caller keeps it open until Close and closes it itself.
    static ZipHandle OpenHeld(void* file, const char* password);
    // index -1: info.index is the number of items.
    static ZipStatus GetItem(ZipHandle handle, int32_t index, ZipItemInfo& info);
    // ZipMore: the whole buffer was filled and more follows; ZipOk: the item ended within
    // this buffer (its last bytes are the item's size less what came before). With a
    // report, an item that ended is closed at once so that its checksum is known.
    static ZipStatus ReadItem(ZipHandle handle, int32_t index, void* buffer, uint32_t length,
                              ZipReadReport* report = nullptr);
    // The handle is invalid afterwards.
    static ZipStatus Close(ZipHandle handle);

    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;

private:
    ZipReader();
    ~ZipReader();

    // held: see ZipFileStream::Functions.
    static ZipHandle Open(const char* fileName, void* held, const char* password);

    ZipStatus MoveTo(int32_t index);
    ZipStatus Describe(int32_t index, ZipItemInfo& info);
    ZipStatus OpenItem(int32_t index);
    void CloseOpenItem();
    // Closes the item that just ended; false when its data failed the checksum.
    bool CloseEndedItem();

    void* archive_ = nullptr;
    std::string password_;
    int32_t count_ = 0;
    // The item minizip stands on, -1 when unknown; items from unreachable_ on could not be
    // reached through the central directory and are not tried again.
    int32_t current_ = -1;
    int32_t unreachable_ = INT32_MAX;
    int32_t openItem_ = -1;
    // The open item when it is encrypted: minizip then reads it raw for us.
    std::unique_ptr<ZipEncryptedItem> encrypted_;
    int32_t cachedIndex_ = -1;
    ZipItemInfo cached_;
    std::vector<uint8_t> extra_;
    std::vector<char> storedName_;
    std::vector<uint8_t> centralExtra_;
};
