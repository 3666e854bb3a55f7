// The cancel rule: after a cancel only the total and the done notice go out, and a cancel
// is never overwritten, also when another thread's notices race it for `state`.
#include "ProfileTest.h"
#include "engine/SentMessageWait.h"

using NotifyTest = ProfileTest;

// A notice that overwrote the cancel would let every later one through, and the last
// of them would be the state.
TEST_F(NotifyTest, ACancelIsNeverOverwrittenUnderContention)
{
    for (int round = 0; round < 10; ++round) {
        InstallEngine engine(scratch.file("none.exe"));
        HANDLE hammer = ::CreateThread(nullptr, 0, [](LPVOID param) -> DWORD {
            for (int i = 0; i < 200000; ++i)
                static_cast<InstallEngine*>(param)->Notify(NoticeChunk + i % 3, 1, 0, std::string());
            return 0;
        }, &engine, 0, nullptr);
        ::Sleep(DWORD(round % 4));
        engine.RequestCancel();
        ::WaitForSingleObject(hammer, INFINITE);
        ::CloseHandle(hammer);
        EXPECT_EQ(NoticeCancel, engine.GetState()) << "round " << round;
    }
}

// A worker thread sends to the frame on this thread, which cancels while handling the
// hundredth chunk; of what the worker sends after that only the total and done go out.
TEST_F(NotifyTest, ACancelFromTheFrameSilencesTheWorkersFurtherNotices)
{
    NewEngine(scratch.file("inst"));
    onNotice = [&](const RecordedNotice&) {
        if (notices.size() == 100)
            engine->RequestCancel();
    };
    HANDLE worker = ::CreateThread(nullptr, 0, [](LPVOID param) -> DWORD {
        InstallEngine* engine = static_cast<InstallEngine*>(param);
        for (int i = 0; i < 1000; ++i)
            engine->Notify(NoticeChunk, 16384, 0, "f");
        for (int32_t code : {NoticeFileBegin, NoticeFileEnd, NoticeCancel, NoticeFailed, NoticeTotal, NoticeDone})
            engine->Notify(code, 0, 99, "f");
        return 0;
    }, engine.get(), 0, nullptr);
    ASSERT_TRUE(SentMessageWait::Wait(worker, 60000));
    ::CloseHandle(worker);
    EXPECT_EQ("chunk cancel total done", Outline());
    EXPECT_EQ(100u, Values(NoticeChunk).size());
    EXPECT_EQ(std::vector<int32_t>({99}), Values(NoticeTotal));
    EXPECT_EQ(NoticeCancel, engine->GetState());
}
