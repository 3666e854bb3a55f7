#include "engine/zip/ZipReader.h"

#include <climits>
#include <cstring>
#include <new>

#include <unzip.h>

#include "engine/zip/ZipAttributes.h"
#include "engine/zip/ZipFileStream.h"
#include "engine/zip/ZipItemName.h"
#include "engine/zip/ZipNameRules.h"
#include "engine/zip/ZipEncryptedItem.h"
#include "engine/zip/ZipTimes.h"

// minizip opens and reads the archive through its own file-function table, pointed at
// ZipPlatform (ZipFileStream). It reads each item's compressed stream through one
// 0x4000-byte buffer of its own while the item is open. The end of an item is minizip's
// unzeof after a read: the item's remaining uncompressed byte count is 0 (for an encrypted
// item, the same count kept by ZipEncryptedItem).

ZipReader::ZipReader() = default;
ZipReader::~ZipReader() = default;

ZipHandle ZipReader::OpenFile(const char* fileName, const char* password)
{
    return fileName == nullptr ? nullptr : Open(fileName, nullptr, password);
}

ZipHandle ZipReader::OpenHeld(void* file, const char* password)
{
    return file == nullptr ? nullptr : Open("", file, password);
}

ZipHandle ZipReader::Open(const char* fileName, void* held, const char* password)
{
    ZipReader* reader = new (std::nothrow) ZipReader;
    if (reader == nullptr)
        return nullptr;
    if (password != nullptr)
        reader->password_ = password;
    zlib_filefunc64_def functions = ZipFileStream::Functions(held);
    reader->archive_ = unzOpen2_64(fileName, &functions);
    unz_global_info64 global;
    if (reader->archive_ == nullptr || unzGetGlobalInfo64(reader->archive_, &global) != UNZ_OK) {
        Close(reader);
        return nullptr;
    }
    reader->count_ = global.number_entry > INT32_MAX ? INT32_MAX : int32_t(global.number_entry);
    return reader;
}

ZipStatus ZipReader::GetItem(ZipHandle handle, int32_t index, ZipItemInfo& info)
{
    info.index = 0;
    info.name[0] = '\0';
    info.uncompressedSize = 0;
    info.uncompressedSize64 = 0;
    info.nameDamaged = 0;
    if (handle == nullptr || index < -1 || index >= handle->count_)
        return ZipBadArgs;
    handle->CloseOpenItem();
    if (index != -1 && index == handle->cachedIndex_) {
        info = handle->cached_;
        return ZipOk;
    }
    if (index == -1) {
        info = ZipItemInfo();
        info.index = handle->count_;
        return ZipOk;
    }
    ZipItemInfo item;
    ZipStatus status = handle->Describe(index, item);
    if (status != ZipOk)
        return status;
    handle->cached_ = item;
    handle->cachedIndex_ = index;
    info = item;
    return ZipOk;
}

ZipStatus ZipReader::ReadItem(ZipHandle handle, int32_t index, void* buffer, uint32_t length, ZipReadReport* report)
{
    if (report != nullptr)
        *report = ZipReadReport();
    if (handle == nullptr || (buffer == nullptr && length > 0) || length > uint32_t(INT_MAX))
        return ZipBadArgs;
    if (handle->openItem_ < 0 || index != handle->openItem_) {
        handle->CloseOpenItem();
        if (index < 0 || index >= handle->count_)
            return ZipBadArgs;
        ZipStatus status = handle->OpenItem(index);
        if (status != ZipOk)
            return status;
    }
    int got = 0;
    bool ended = false;
    if (handle->encrypted_ != nullptr) {
        got = handle->encrypted_->Read(buffer, length);
        ended = handle->encrypted_->Ended();
    } else {
        got = unzReadCurrentFile(handle->archive_, buffer, length);
        ended = unzeof(handle->archive_) == 1;
    }
    // A read that stops short of the buffer before the item's end means the item's data is
    // shorter than its recorded size: that is a damaged item, not a full buffer.
    bool full = got > 0 && uint32_t(got) == length;
    if (report != nullptr) {
        report->delivered = got > 0 ? uint32_t(got) : 0;
        if (ended)
            report->checksumFailed = !handle->CloseEndedItem();
    }
    if (got <= 0 || (!ended && !full))
        handle->CloseOpenItem();
    if (ended)
        return ZipOk;
    return full ? ZipMore : ZipInflateError;
}

ZipStatus ZipReader::Close(ZipHandle handle)
{
    if (handle == nullptr)
        return ZipBadArgs;
    handle->CloseOpenItem();
    if (handle->archive_ != nullptr)
        unzClose(handle->archive_);
    delete handle;
    return ZipOk;
}

// Forward steps go item by item from the current one, backward ones restart at the first,
// so visiting the items in increasing order costs one step each.
ZipStatus ZipReader::MoveTo(int32_t index)
{
    if (index >= unreachable_)
        return ZipBadHeader;
    if (current_ < 0 || index < current_) {
        current_ = -1;
        if (unzGoToFirstFile(archive_) != UNZ_OK) {
            unreachable_ = 0;
            return ZipBadHeader;
        }
        current_ = 0;
    }
    while (current_ < index) {
        if (unzGoToNextFile(archive_) != UNZ_OK) {
            unreachable_ = current_ + 1;
            current_ = -1;
            return ZipBadHeader;
        }
        ++current_;
    }
    return ZipOk;
}

ZipStatus ZipReader::Describe(int32_t index, ZipItemInfo& info)
{
    ZipStatus status = MoveTo(index);
    if (status != ZipOk)
        return status;
    // The whole stored name and central extra field (both at most 65535 bytes): a name's
    // Unicode Path record is checked against all of its bytes.
    storedName_.resize(0xFFFF);
    centralExtra_.resize(0xFFFF);
    unz_file_info64 file;
    if (unzGetCurrentFileInfo64(archive_, &file, storedName_.data(), uLong(storedName_.size()), centralExtra_.data(),
                                uLong(centralExtra_.size()), nullptr, 0) != UNZ_OK)
        return ZipBadHeader;

    // Opening the item raw checks its local header against the central directory without
    // starting a decompression, and gives access to its local extra data.
    if (unzOpenCurrentFile2(archive_, nullptr, nullptr, 1) != UNZ_OK)
        return ZipBadHeader;
    int extraLength = unzGetLocalExtrafield(archive_, nullptr, 0);
    status = extraLength < 0 ? ZipReadFailed : ZipOk;
    extra_.assign(extraLength > 0 ? size_t(extraLength) : 0, 0);
    if (extraLength > 0 && unzGetLocalExtrafield(archive_, extra_.data(), unsigned(extraLength)) != extraLength)
        status = ZipReadFailed;
    unzCloseCurrentFile(archive_);
    if (status != ZipOk)
        return status;

    info.index = index;
    std::string stored(storedName_.data(), size_t(file.size_filename));
    std::string name;
    if (ZipItemName::Text(stored, uint32_t(file.flag), centralExtra_.data(), size_t(file.size_file_extra),
                          extra_.data(), extra_.size(), name)) {
        name = ZipItemName::Cut(name, ZipItemInfo::NameUnits);
    } else {
        name.clear();
        info.nameDamaged = 1;
    }
    // The rules see the name as UTF-8, where no byte of a character outside ASCII can be
    // taken for a separator, a dot or a colon.
    std::strncpy(info.name, name.c_str(), ZipItemInfo::NameSize - 1);
    info.name[ZipItemInfo::NameSize - 1] = '\0';
    ZipNameRules::Apply(info.name);
    info.attributes = ZipAttributes::FromExternal(uint32_t(file.version), uint32_t(file.external_fa));
    info.compressedSize = int32_t(uint32_t(file.compressed_size));
    info.uncompressedSize = int32_t(uint32_t(file.uncompressed_size));
    info.uncompressedSize64 = file.uncompressed_size;
    ZipTimes::Fill(uint32_t(file.dosDate), extra_.data(), extra_.size(), info);
    return ZipOk;
}

// Every failure to reach or start the item's data is a failed read of that data.
ZipStatus ZipReader::OpenItem(int32_t index)
{
    if (MoveTo(index) != ZipOk)
        return ZipInflateError;
    unz_file_info64 file;
    if (unzGetCurrentFileInfo64(archive_, &file, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return ZipInflateError;
    // Only stored and deflated items can be read. minizip would hand out any other
    // method's compressed bytes as if they were the data.
    if (file.compression_method != 0 && file.compression_method != Z_DEFLATED)
        return ZipInflateError;
    if (file.flag & 1) {
        ZipStatus status = ZipEncryptedItem::Open(archive_, password_.c_str(), encrypted_);
        if (status != ZipOk) {
            CloseOpenItem();
            return status;
        }
    } else if (unzOpenCurrentFile(archive_) != UNZ_OK) {
        CloseOpenItem();
        return ZipInflateError;
    }
    openItem_ = index;
    return ZipOk;
}

bool ZipReader::CloseEndedItem()
{
    bool intact = encrypted_ != nullptr ? encrypted_->ChecksumMatches() : unzCloseCurrentFile(archive_) != UNZ_CRCERROR;
    CloseOpenItem();
    return intact;
}

void ZipReader::CloseOpenItem()
{
    // A failed open may leave minizip with an item half open; it is closed all the same.
    encrypted_.reset();
    unzCloseCurrentFile(archive_);
    openItem_ = -1;
}
