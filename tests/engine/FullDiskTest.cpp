// A disk that fills up while a file is written: drive R: is a 2 MiB tmpfs made by the
// test's fixture (full-disk.sh). Without root or mount permission there is no such
// drive and the test skips itself.
#include "NoticeRecorder.h"
#include "ProfileTest.h"
#include "TestZip.h"
#include "engine/InstallEngine.h"

namespace {

bool HaveSmallDrive()
{
    ULARGE_INTEGER total;
    return ::GetDriveTypeA("R:\\") != DRIVE_NO_ROOT_DIR
        && ::GetDiskFreeSpaceExA("R:\\", nullptr, &total, nullptr) && total.QuadPart <= (4u << 20);
}

} // namespace

TEST_F(ProfileTest, ADiskThatFillsUpFailsTheInstallation)
{
    if (!HaveSmallDrive())
        GTEST_SKIP() << "no 2 MiB drive R: (the fixture needs root to mount a tmpfs)";
    std::string big = TestZip::Bytes(3 << 20, 11);
    PutPayload(TestZip::Build({TestZipItem::File("big.bin", big), TestZipItem::File("small.txt", "s")},
                              scratch.file("build.zip")));
    {
        InstallEngine engine(scratch.file("none.exe"));
        NoticeRecorder recorder;
        recorder.keepChunkNames = false;
        engine.SetFrameWindow(recorder.Window());
        engine.SetInstallDirectory("R:\\inst");
        engine.SetProgramGroup("OrvantaTest Full");
        ASSERT_TRUE(engine.StartWorker());
        ASSERT_TRUE(engine.WaitForWorker(INFINITE));
        EXPECT_EQ("total begin chunk end begin chunk end failed", recorder.Outline());
        int64_t chunks = 0;
        for (const RecordedNotice& notice : recorder.Notices())
            chunks += notice.chunkBytes;
        EXPECT_EQ(int64_t(big.size() + 1), chunks);
        EXPECT_FALSE(RecordExists());
        EXPECT_FALSE(Exists(ProgramsFolder() + "OrvantaTest Full"));
    }
    std::string written = ReadFileText("R:\\inst\\big.bin");
    EXPECT_LT(written.size(), big.size());
    EXPECT_TRUE(written == big.substr(0, written.size()));
    RemoveTree("R:\\inst");
}
