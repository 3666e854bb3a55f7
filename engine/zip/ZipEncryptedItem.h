#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include <zlib.h>

#include "engine/zip/ZipCipher.h"
#include "engine/zip/ZipStatus.h"

// Reads one encrypted item: minizip hands out the stored bytes raw, which are decrypted
// here and, for a deflated item, inflated with zlib's raw inflate.
class ZipEncryptedItem {
public:
    // archive: the unzFile standing on the item. ZipPassword when the check byte does not
    // match, ZipInflateError when the item cannot be opened.
    static ZipStatus Open(void* archive, const char* password, std::unique_ptr<ZipEncryptedItem>& item);
    ~ZipEncryptedItem();

    // Like unzReadCurrentFile: bytes delivered, 0 when nothing more, below 0 on an error.
    int Read(void* buffer, uint32_t length);
    bool Ended() const { return remaining_ == 0; }
    // The data delivered so far matches the item's recorded CRC-32 (meaningful once ended).
    bool ChecksumMatches() const { return crc_ == expectedCrc_; }

    ZipEncryptedItem(const ZipEncryptedItem&) = delete;
    ZipEncryptedItem& operator=(const ZipEncryptedItem&) = delete;

private:
    ZipEncryptedItem(void* archive, const char* password, bool deflated, uint64_t size, uint32_t crc);
    int ReadRaw(uint8_t* buffer, uint32_t length);

    void* archive_;
    ZipCipher cipher_;
    bool deflated_;
    bool streamReady_ = false;
    bool streamEnded_ = false;
    uint64_t remaining_;
    uint32_t expectedCrc_;
    uint32_t crc_ = 0;
    z_stream stream_ = {};
    // The compressed stream passes through this one buffer.
    std::vector<uint8_t> input_;
};
