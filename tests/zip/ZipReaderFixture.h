#pragma once
// A scratch folder with one archive in it, opened through the ZIP reader, and a read loop
// that works out each chunk's length the way the payload extraction does.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/zip/ZipReader.h"
#include "support/ScratchDir.h"
#include "zip/ZipTestArchive.h"

using Statuses = std::vector<ZipStatus>;

struct ZipReadResult {
    std::string data;
    Statuses statuses;
};

class ZipReaderFixture : public ::testing::Test {
protected:
    ~ZipReaderFixture() override { CloseArchive(); }

    std::string ArchivePath() const { return scratch_.file("a.zip"); }

    // The reader shares its file for reading only, so it is closed before the file changes.
    void CloseArchive()
    {
        if (handle_ != nullptr)
            ZipReader::Close(handle_);
        handle_ = nullptr;
    }

    ZipHandle Reopen(const char* password = nullptr)
    {
        CloseArchive();
        return handle_ = ZipReader::OpenFile(ArchivePath().c_str(), password);
    }

    ZipHandle OpenArchive(const std::vector<ZipTestItem>& items, const char* password = nullptr)
    {
        CloseArchive();
        EXPECT_TRUE(ZipTestArchive::Write(ArchivePath(), items));
        return Reopen(password);
    }

    ZipHandle SaveArchive(const std::string& bytes)
    {
        CloseArchive();
        ZipTestArchive::Save(ArchivePath(), bytes);
        return Reopen();
    }

    ZipItemInfo Item(int32_t index)
    {
        ZipItemInfo info;
        EXPECT_EQ(ZipOk, ZipReader::GetItem(handle_, index, info));
        return info;
    }

    // Reads until the status is no longer ZipMore; the last chunk's length is the item's
    // size less what came before.
    ZipReadResult ReadAll(int32_t index, uint32_t chunk = 0x4000)
    {
        size_t size = size_t(Item(index).uncompressedSize);
        ZipReadResult result;
        std::vector<char> buffer(chunk);
        do {
            result.statuses.push_back(ZipReader::ReadItem(handle_, index, buffer.data(), chunk));
            if (result.statuses.back() == ZipMore)
                result.data.append(buffer.data(), chunk);
            else if (result.statuses.back() == ZipOk)
                result.data.append(buffer.data(), size - result.data.size());
        } while (result.statuses.back() == ZipMore && result.statuses.size() < 10000);
        return result;
    }

    testsupport::ScratchDir scratch_;
    ZipHandle handle_ = nullptr;
};

// Bytes that deflate poorly and show any misplaced chunk.
inline std::string PatternData(size_t size, unsigned seed = 1)
{
    std::string data(size, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (char& c : data)
        c = char((x = x * 1103515245u + 12345u) >> 16);
    return data;
}
