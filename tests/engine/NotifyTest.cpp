// The cancel rule: after a cancel only the total and the done notice go out, and a cancel
// is never overwritten, also when another thread's notices race it for `state`.
#include <atomic>

#include "ProfileTest.h"
#include "engine/SentMessageWait.h"

using NotifyTest = ProfileTest;

// A notice that overwrote the cancel would let every later one through, and the last
// of them would be the state.
TEST_F(NotifyTest, ACancelIsNeverOverwrittenUnderContention)
{
    struct Hammer {
        InstallEngine engine;
        std::atomic<long> sent{0};
        std::atomic<bool> stop{false};
    };
    for (int round = 0; round < 10; ++round) {
        Hammer h{InstallEngine(scratch.file("none.exe"))};
        // The hammer runs until told to stop, which is only well after the cancel.
        HANDLE hammer = ::CreateThread(nullptr, 0, [](LPVOID param) -> DWORD {
            Hammer* h = static_cast<Hammer*>(param);
            for (int i = 0; !h->stop; ++i, ++h->sent)
                h->engine.Notify(NoticeChunk + i % 3, 1, 0, std::string());
            return 0;
        }, &h, 0, nullptr);
        while (h.sent < 1000 * (round + 1))
            ::Sleep(0);
        h.engine.RequestCancel();
        long atCancel = h.sent;
        while (h.sent < atCancel + 20000)
            ::Sleep(0);
        h.stop = true;
        ::WaitForSingleObject(hammer, INFINITE);
        ::CloseHandle(hammer);
        EXPECT_EQ(NoticeCancel, h.engine.GetState()) << "round " << round;
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
