// Notices and the cancel rule: after a cancel only the total and the finished notice go
// out, and a cancel is never overwritten, also when both threads race for `state`.
#include <atomic>

#include "NoticeRecorder.h"
#include "ProfileTest.h"
#include "engine/InstallEngine.h"
#include "engine/SentMessageWait.h"

namespace {

class NotifyTest : public ProfileTest {
protected:
    std::string NoContainer() { return scratch.file("none.exe"); }
};

struct Hammer {
    InstallEngine* engine;
    int rounds;
    std::atomic<bool>* sawCancelOverwritten;
};

DWORD WINAPI HammerNotices(LPVOID param)
{
    Hammer* hammer = static_cast<Hammer*>(param);
    for (int i = 0; i < hammer->rounds; ++i)
        hammer->engine->Notify(NoticeChunk + i % 3, 1, 0, std::string());
    return 0;
}

DWORD WINAPI WatchState(LPVOID param)
{
    Hammer* hammer = static_cast<Hammer*>(param);
    bool cancelled = false;
    for (int i = 0; i < hammer->rounds * 2; ++i) {
        int32_t state = hammer->engine->GetState();
        if (cancelled && state != NoticeCancel)
            hammer->sawCancelOverwritten->store(true);
        cancelled = cancelled || state == NoticeCancel;
    }
    return 0;
}

} // namespace

TEST_F(NotifyTest, AfterACancelOnlyTotalAndDoneAreSent)
{
    InstallEngine engine(NoContainer());
    NoticeRecorder recorder;
    engine.SetFrameWindow(recorder.Window());
    EXPECT_EQ(0, engine.GetState());
    engine.Notify(NoticeFileBegin, 0, 10, "C:\\x\\a.txt");
    EXPECT_EQ(NoticeFileBegin, engine.GetState());
    EXPECT_TRUE(engine.RequestCancel());
    EXPECT_EQ(NoticeCancel, engine.GetState());
    for (int32_t code : {NoticeChunk, NoticeFileBegin, NoticeFileEnd, NoticeCancel, NoticeFailed})
        EXPECT_EQ(0, engine.Notify(code, 1, 1, "x"));
    engine.RequestCancel();
    EXPECT_EQ(NoticeCancel, engine.GetState());
    engine.Notify(NoticeTotal, 0, 99, std::string());
    engine.Notify(NoticeDone, 0, 0, std::string());
    EXPECT_EQ(NoticeCancel, engine.GetState());
    EXPECT_EQ("begin cancel total done", recorder.Outline());
    EXPECT_EQ("C:\\x\\a.txt", recorder.Notices()[0].name);
    EXPECT_EQ(10, recorder.Notices()[0].size);
    EXPECT_EQ(99, recorder.Notices()[2].size);
}

TEST_F(NotifyTest, NoticesWithoutAFrameWindowAreLost)
{
    InstallEngine engine(NoContainer());
    EXPECT_EQ(0, engine.Notify(NoticeTotal, 0, 5, std::string()));
    EXPECT_EQ(NoticeTotal, engine.GetState());
}

TEST_F(NotifyTest, ACancelIsNeverOverwrittenUnderContention)
{
    for (int round = 0; round < 10; ++round) {
        InstallEngine engine(NoContainer());
        std::atomic<bool> overwritten{false};
        Hammer hammer{&engine, 200000, &overwritten};
        HANDLE threads[2] = {::CreateThread(nullptr, 0, &HammerNotices, &hammer, 0, nullptr),
                             ::CreateThread(nullptr, 0, &WatchState, &hammer, 0, nullptr)};
        ::Sleep(DWORD(round % 4));
        engine.RequestCancel();
        EXPECT_EQ(NoticeCancel, engine.GetState());
        ::WaitForMultipleObjects(2, threads, TRUE, INFINITE);
        ::CloseHandle(threads[0]);
        ::CloseHandle(threads[1]);
        EXPECT_EQ(NoticeCancel, engine.GetState()) << "round " << round;
        EXPECT_FALSE(overwritten.load()) << "round " << round;
    }
}

// A worker thread sends to the frame on this thread; the frame cancels while handling
// the hundredth chunk. The worker's next chunk is decided after that and is silenced.
TEST_F(NotifyTest, ACancelFromTheFrameSilencesTheWorkersNextChunks)
{
    InstallEngine engine(NoContainer());
    NoticeRecorder recorder;
    engine.SetFrameWindow(recorder.Window());
    recorder.onNotice = [&](const RecordedNotice&) {
        if (recorder.Count(NoticeChunk) == 100 && recorder.Count(NoticeCancel) == 0)
            engine.RequestCancel();
    };
    HANDLE worker = ::CreateThread(nullptr, 0, [](LPVOID param) -> DWORD {
        InstallEngine* engine = static_cast<InstallEngine*>(param);
        for (int i = 0; i < 1000; ++i)
            engine->Notify(NoticeChunk, 16384, 0, "f");
        engine->Notify(NoticeTotal, 0, 1, std::string());
        engine->Notify(NoticeDone, 0, 0, std::string());
        return 0;
    }, &engine, 0, nullptr);
    ASSERT_TRUE(SentMessageWait::Wait(worker, 60000));
    ::CloseHandle(worker);
    EXPECT_EQ("chunk cancel total done", recorder.Outline());
    EXPECT_EQ(100u, recorder.Count(NoticeChunk));
}
