// An item of more than 2 GiB: written intact, and its notices scaled so that they fit
// the 32-bit bars and still add up.
#include "NoticeRecorder.h"
#include "ProfileTest.h"
#include "TestZip.h"
#include "engine/InstallEngine.h"

TEST_F(ProfileTest, AnItemOfMoreThanTwoGibibytesIsWrittenIntact)
{
    const uint64_t size = 0x80000000ull + 0x4000 + 5;
    ASSERT_TRUE(TestZip::WriteLarge(scratch.file("large.zip"), "large.bin", size));
    PutPayload(TestZip::Load(scratch.file("large.zip")));
    ::DeleteFileA(scratch.file("large.zip").c_str());
    std::string target = scratch.file("inst\\large.bin");
    {
        InstallEngine engine(scratch.file("none.exe"));
        NoticeRecorder recorder;
        recorder.keepChunkNames = false;
        engine.SetFrameWindow(recorder.Window());
        engine.SetInstallDirectory(scratch.file("inst"));
        ASSERT_TRUE(engine.ExtractPayload());
        EXPECT_EQ(size, engine.GetTotalBytes());

        const std::vector<RecordedNotice>& notices = recorder.Notices();
        ASSERT_EQ(NoticeTotal, notices.front().code);
        int32_t total = notices.front().size;
        EXPECT_EQ(int32_t(size >> 1), total);
        int64_t chunks = 0;
        for (const RecordedNotice& notice : notices) {
            chunks += notice.chunkBytes;
            if (notice.code == NoticeFileBegin) {
                EXPECT_EQ(total, notice.size);
            }
        }
        EXPECT_EQ(total, chunks);
        EXPECT_EQ(size / 0x4000 + 1, recorder.Count(NoticeChunk));
    }
    HANDLE file = ::CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    LARGE_INTEGER length;
    ASSERT_TRUE(::GetFileSizeEx(file, &length));
    EXPECT_EQ(size, uint64_t(length.QuadPart));
    // Samples across the file, the last chunk included, must hold the pattern.
    for (uint64_t at : {uint64_t(0), uint64_t(0x7FFFF000), uint64_t(0x80000000), size - 0x4005, size - 7}) {
        LARGE_INTEGER position;
        position.QuadPart = LONGLONG(at);
        ASSERT_TRUE(::SetFilePointerEx(file, position, nullptr, FILE_BEGIN));
        char bytes[7];
        DWORD got = 0;
        ASSERT_TRUE(::ReadFile(file, bytes, sizeof bytes, &got, nullptr));
        ASSERT_EQ(sizeof bytes, got);
        for (uint64_t i = 0; i < sizeof bytes; ++i)
            EXPECT_EQ(TestZip::Pattern(at + i), bytes[i]) << "at " << at + i;
    }
    ::CloseHandle(file);
    ::DeleteFileA(target.c_str());
}
