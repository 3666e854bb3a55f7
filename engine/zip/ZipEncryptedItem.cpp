#include "engine/zip/ZipEncryptedItem.h"

#include <new>

#include <unzip.h>

ZipStatus ZipEncryptedItem::Open(void* archive, const char* password, std::unique_ptr<ZipEncryptedItem>& item)
{
    unz_file_info64 file;
    if (unzGetCurrentFileInfo64(archive, &file, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return ZipInflateError;
    std::unique_ptr<ZipEncryptedItem> opened(
        new (std::nothrow) ZipEncryptedItem(archive, password, file.compression_method == Z_DEFLATED, file.uncompressed_size,
                                             uint32_t(file.crc)));
    if (opened == nullptr || unzOpenCurrentFile2(archive, nullptr, nullptr, 1) != UNZ_OK)
        return ZipInflateError;
    uint8_t header[ZipCipher::HeaderSize];
    if (unzReadCurrentFile(archive, header, sizeof header) != int(sizeof header))
        return ZipInflateError;
    if (!opened->cipher_.AcceptHeader(header, ZipCipher::CheckByte(uint32_t(file.flag), uint32_t(file.crc),
                                                                   uint32_t(file.dosDate))))
        return ZipPassword;
    if (opened->deflated_) {
        if (inflateInit2(&opened->stream_, -MAX_WBITS) != Z_OK)
            return ZipInflateError;
        opened->streamReady_ = true;
    }
    item = std::move(opened);
    return ZipOk;
}

ZipEncryptedItem::ZipEncryptedItem(void* archive, const char* password, bool deflated, uint64_t size, uint32_t crc)
    : archive_(archive), cipher_(password), deflated_(deflated), remaining_(size), expectedCrc_(crc)
{
}

ZipEncryptedItem::~ZipEncryptedItem()
{
    if (streamReady_)
        inflateEnd(&stream_);
}

int ZipEncryptedItem::ReadRaw(uint8_t* buffer, uint32_t length)
{
    int got = unzReadCurrentFile(archive_, buffer, length);
    if (got > 0)
        cipher_.Decrypt(buffer, size_t(got));
    return got;
}

int ZipEncryptedItem::Read(void* buffer, uint32_t length)
{
    uint32_t wanted = length < remaining_ ? length : uint32_t(remaining_);
    uint8_t* out = static_cast<uint8_t*>(buffer);
    uint32_t produced = 0;
    if (!deflated_) {
        while (produced < wanted) {
            int got = ReadRaw(out + produced, wanted - produced);
            if (got < 0)
                return got;
            if (got == 0)
                break;
            produced += uint32_t(got);
        }
    } else {
        if (input_.empty())
            input_.resize(0x4000);
        stream_.next_out = out;
        stream_.avail_out = wanted;
        while (stream_.avail_out > 0 && !streamEnded_) {
            if (stream_.avail_in == 0) {
                int got = ReadRaw(input_.data(), uint32_t(input_.size()));
                if (got < 0)
                    return got;
                stream_.next_in = input_.data();
                stream_.avail_in = uInt(got);
            }
            uInt before = stream_.avail_out;
            int result = inflate(&stream_, Z_SYNC_FLUSH);
            if (result == Z_STREAM_END) {
                streamEnded_ = true;
            } else if (result == Z_BUF_ERROR && stream_.avail_in == 0 && before == stream_.avail_out) {
                break;  // the stored bytes ran out before the item's data did
            } else if (result != Z_OK) {
                return Z_DATA_ERROR;
            }
        }
        produced = wanted - stream_.avail_out;
    }
    remaining_ -= produced;
    if (produced > 0)
        crc_ = uint32_t(crc32(crc_, out, produced));
    return int(produced);
}
