// The worker: the cancel rule, failed and cancelled runs, a disk that fills up, the
// engine's end while its worker runs, and the launch of the installed program.
#include <atomic>
#include <numeric>
#include <thread>

#include "ProfileTest.h"

using WorkerTest = ProfileTest;

// After a cancel only the total and the done notice pass. A notice of another thread that
// overwrote the cancel in `state` would let every later one through, and the last of
// them would be the state; the hammer goes on well past the cancel.
TEST_F(WorkerTest, ACancelIsNeverOverwrittenUnderContention)
{
    for (int round = 0; round < 10; ++round) {
        InstallEngine racing(scratch.file("none.exe"));
        std::atomic<long> sent{0};
        std::atomic<bool> stop{false};
        std::thread hammer([&] {
            for (int i = 0; !stop; ++i, ++sent)
                racing.Notify(NoticeChunk + i % 3, 1, 0, std::string());
        });
        while (sent < 1000 * (round + 1))
            std::this_thread::yield();
        racing.RequestCancel();
        for (long atCancel = sent; sent < atCancel + 20000;)
            std::this_thread::yield();
        stop = true;
        hammer.join();
        EXPECT_EQ(NoticeCancel, racing.GetState()) << "round " << round;
    }
}

// A failed or cancelled run makes no shortcut and no record. A cancel before the worker
// starts stays in force through its total notice; one from the frame while it handles a
// notice silences the worker's further notices, its final one included.
TEST_F(WorkerTest, FailedAndCancelledRunsEndWithoutShortcutsOrRecord)
{
    const std::vector<TestZipItem> two = {{"a.txt", "a"}, {"b.txt", "b"}};
    const struct {
        std::vector<TestZipItem> items;
        int32_t cancelAt;  // the notice on which the frame cancels; -1: before the start
        const char* outline;
    } rows[] = {{{}, 0, "failed"},  // no payload
                {two, -1, "cancel total"},
                {two, NoticeFileBegin, "total begin cancel"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.outline);
        NewEngine(scratch.file("inst"), row.items);
        onNotice = [&](const ProgressNotice& notice) {
            if (notice.code == row.cancelAt)
                engine->RequestCancel();
        };
        if (row.cancelAt < 0)
            engine->RequestCancel();
        ASSERT_TRUE(engine->StartWorker() && engine->WaitForWorker(INFINITE));
        EXPECT_EQ(row.outline, Outline());
        EXPECT_FALSE(InstallReport::RecordExists() || Exists(Group()) || Exists(DesktopLink()));
    }
    EXPECT_FALSE(Exists(scratch.file("inst\\b.txt")));
}

// A disk that fills up fails the installation: the fixture's "full\big.bin" leads to a
// device on which every write fails. The next file is still written.
TEST_F(WorkerTest, ADiskThatFillsUpFailsTheInstallation)
{
    if (LinkDir().empty())
        GTEST_SKIP() << "needs Wine and the engine_links fixture";
    std::string big = TestZip::Bytes(3 << 20, 11);
    ASSERT_TRUE(NewEngine(LinkDir() + "\\full", {{"big.bin", big}, {"small.txt", "s"}}).StartWorker());
    ASSERT_TRUE(engine->WaitForWorker(INFINITE));
    EXPECT_EQ("total begin chunk end begin chunk end failed", Outline());
    std::vector<int32_t> chunks = Values(NoticeChunk);
    EXPECT_EQ(int64_t(big.size() + 1), std::accumulate(chunks.begin(), chunks.end(), int64_t(0)));
    EXPECT_FALSE(InstallReport::RecordExists() || Exists(Group()) || Exists(DesktopLink()));
    EXPECT_EQ("s", TestZip::Load(LinkDir() + "\\full\\small.txt"));
}

// The worker may be inside a notice to a window of this thread when the engine goes.
TEST_F(WorkerTest, TheDestructorWaitsForARunningWorkerWithoutDeadlock)
{
    ASSERT_TRUE(NewEngine(scratch.file("inst"), {{"big.bin", std::string(4 << 20, 'z')}}).StartWorker());
    engine.reset();
    EXPECT_EQ(NoticeDone, notices.back().code);
    EXPECT_EQ(256u, Values(NoticeChunk).size());
}

// Unquoted, "<scratch>\my app\terminal.exe" would first be tried as "<scratch>\my.exe".
TEST_F(WorkerTest, LaunchQuotesThePathSoNoPrefixProgramStarts)
{
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string probe = std::filesystem::path(self).replace_filename("engine_launch_probe.exe").string();
    std::string dir = scratch.file("my app");
    ASSERT_TRUE(MakeTree(dir, {}) && ::CopyFileA(probe.c_str(), (dir + "\\terminal.exe").c_str(), FALSE));
    ASSERT_TRUE(::CopyFileA(probe.c_str(), scratch.file("my.exe").c_str(), FALSE));
    NewEngine(dir).LaunchProgram();
    for (int i = 0; i < 100 && !Exists(dir + "\\terminal.exe.ran"); ++i)
        ::Sleep(100);
    EXPECT_TRUE(Exists(dir + "\\terminal.exe.ran"));
    EXPECT_FALSE(Exists(scratch.file("my.exe.ran")));
    ::Sleep(200);
}
