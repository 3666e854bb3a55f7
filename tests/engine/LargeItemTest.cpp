// An item of more than 2 GiB: written intact, and its notices counted in units that fit
// the 32-bit bars and still add up.
#include <numeric>

#include "ProfileTest.h"

TEST_F(ProfileTest, AnItemOfMoreThanTwoGibibytesIsWrittenIntact)
{
    const uint64_t size = 0x80000000ull + 0x4000 + 5;
    ASSERT_TRUE(TestZip::WriteLarge(scratch.file("large.zip"), "large.bin", size));
    NewEngine(scratch.file("inst"), TestZip::Load(scratch.file("large.zip")));
    ::DeleteFileA(scratch.file("large.zip").c_str());
    ASSERT_TRUE(engine->ExtractPayload());
    EXPECT_EQ(size, engine->GetTotalBytes());
    ASSERT_EQ("total begin chunk end", Outline());
    EXPECT_EQ(std::vector<int32_t>({int32_t(size >> 1)}), Values(NoticeTotal));
    EXPECT_EQ(std::vector<int32_t>({int32_t(size >> 1)}), Values(NoticeFileBegin));
    std::vector<int32_t> chunks = Values(NoticeChunk);
    EXPECT_EQ(size / 0x4000 + 1, chunks.size());
    EXPECT_EQ(int64_t(size >> 1), std::accumulate(chunks.begin(), chunks.end(), int64_t(0)));

    std::string target = scratch.file("inst\\large.bin");
    HANDLE file = ::CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    LARGE_INTEGER length;
    EXPECT_TRUE(::GetFileSizeEx(file, &length) && uint64_t(length.QuadPart) == size);
    // Samples across the file, the last chunk included, must hold the pattern.
    for (uint64_t at : {uint64_t(0), uint64_t(0x7FFFF000), uint64_t(0x80000000), size - 0x4005, size - 7}) {
        LARGE_INTEGER position;
        position.QuadPart = LONGLONG(at);
        char bytes[7];
        DWORD got = 0;
        ASSERT_TRUE(::SetFilePointerEx(file, position, nullptr, FILE_BEGIN));
        ASSERT_TRUE(::ReadFile(file, bytes, sizeof bytes, &got, nullptr) && got == sizeof bytes);
        for (uint64_t i = 0; i < sizeof bytes; ++i)
            EXPECT_EQ(TestZip::Pattern(at + i), bytes[i]) << "at " << at + i;
    }
    ::CloseHandle(file);
    ::DeleteFileA(target.c_str());
}
