// The engine's helpers: item path rules, progress scaling, payload decoding, folder
// creation with its record of what was created, and the wait that handles sent messages.
#include <gtest/gtest.h>
#include <windows.h>

#include "NoticeRecorder.h"
#include "TestZip.h"
#include "engine/CreatedEntries.h"
#include "engine/ItemPath.h"
#include "engine/PayloadDecoder.h"
#include "engine/ProgressScale.h"
#include "engine/SentMessageWait.h"
#include "support/ScratchDir.h"

TEST(ItemPathTest, PlainNamesResolveBelowTheInstallDirectoryOthersAreRefused)
{
    const struct {
        const char* base;
        const char* name;
        const char* full;
    } cases[] = {
        {"C:\\Apps\\Orvanta", "bin/tool.exe", "C:\\Apps\\Orvanta\\bin\\tool.exe"},
        {"C:\\Apps\\Orvanta\\", "a\\b/c.txt", "C:\\Apps\\Orvanta\\a\\b\\c.txt"},
        {"C:\\A", "dir//x.txt", "C:\\A\\dir\\x.txt"},
        {"C:\\A", "..x/y..z/a.b", "C:\\A\\..x\\y..z\\a.b"},
    };
    for (const auto& c : cases) {
        std::string full;
        EXPECT_TRUE(ItemPath::Resolve(c.base, c.name, full)) << c.name;
        EXPECT_EQ(c.full, full) << c.name;
    }
    for (const char* name : {"", "..", "../x", "..\\x", "a/../../x", "a\\..\\..\\x", "a/..", "./../x", "...\\x",
                             ". /x", "a/ ../x", "\\x", "/x", "\\\\server\\share\\x", "//server/share/x", "C:\\x",
                             "C:x", "c:/x", "x:y", "file.txt:stream", "CON", "nul.txt", "a/com1", "LPT9.log", "aux ",
                             "conout$"}) {
        std::string full;
        EXPECT_FALSE(ItemPath::Resolve("C:\\Apps\\Orvanta", name, full)) << name;
    }
}

TEST(ItemPathTest, ATrailByteThatLooksLikeABackslashIsNoSeparator)
{
    if (::GetACP() != 936)
        GTEST_SKIP() << "needs code page 936";
    // 0xB1 0x5C is one GBK character whose second byte equals "\".
    std::string name = "\xB1\x5C";
    EXPECT_FALSE(ItemPath::EndsWithSeparator(name));
    EXPECT_TRUE(ItemPath::EndsWithSeparator(name + "\\"));
    EXPECT_EQ("", ItemPath::Parent(name));
    EXPECT_EQ("C:\\d", ItemPath::Parent("C:\\d\\" + name));
}

TEST(ItemPathTest, SameDirectoryIgnoresCaseAndOneTrailingBackslashAndSameFolderNames)
{
    EXPECT_TRUE(ItemPath::SameDirectory("C:\\Program Files\\Orvanta", "c:\\program files\\ORVANTA\\"));
    EXPECT_TRUE(ItemPath::SameDirectory("C:\\Orvanta\\", "C:\\Orvanta"));
    EXPECT_FALSE(ItemPath::SameDirectory("C:\\Orvanta", "C:\\Orvanta2"));
    EXPECT_FALSE(ItemPath::SameDirectory("C:\\Orvanta", ""));
    EXPECT_FALSE(ItemPath::SameDirectory("", ""));
    for (const char* same : {"", "./", "/./\\"})
        EXPECT_TRUE(ItemPath::IsSameFolder(same)) << same;
    for (const char* other : {"a/", "../"})
        EXPECT_FALSE(ItemPath::IsSameFolder(other)) << other;
}

TEST(ProgressScaleTest, BytesBelowTwoGibibytesLargerTotalsScaledAndChunksStillAddUp)
{
    ProgressScale bytes(0x7FFFFFFF);
    EXPECT_EQ(0u, bytes.Shift());
    EXPECT_EQ(0x4000, bytes.Units(0x4000));
    EXPECT_EQ(1, bytes.ChunkUnits(0x4000, 0x4001));

    uint64_t size = 0x80004005ull;
    ProgressScale scale(size + 100);
    EXPECT_EQ(1u, scale.Shift());
    int64_t sum = 0;
    for (uint64_t written = 0; written < size; written += std::min<uint64_t>(0x4000, size - written))
        sum += scale.ChunkUnits(written, std::min<uint64_t>(written + 0x4000, size));
    EXPECT_EQ(scale.Units(size), sum);
    EXPECT_LE(scale.Units(size), INT32_MAX);
    ProgressScale huge(~0ull);
    EXPECT_LE(huge.Units(~0ull), INT32_MAX);
    EXPECT_GT(huge.Units(~0ull), 0);
}

// Sizes around the eight-byte steps from both ends, odd and even.
TEST(PayloadDecoderTest, ReversesEverySize)
{
    for (size_t size : {1u, 5u, 8u, 15u, 16u, 17u, 33u}) {
        std::string bytes = TestZip::Bytes(size, unsigned(size));
        std::string reversed(bytes.rbegin(), bytes.rend());
        PayloadDecoder::Reverse(&bytes[0], bytes.size());
        EXPECT_EQ(reversed, bytes) << size;
    }
    PayloadDecoder::Reverse(nullptr, 0);
}

TEST(PayloadDecoderTest, DecodesAFileAndRefusesAMissingOne)
{
    testsupport::ScratchDir scratch;
    std::string data = TestZip::Bytes(100001, 7);
    ASSERT_TRUE(TestZip::Save(scratch.file("Orva.in"), TestZip::Reversed(data)));
    ASSERT_TRUE(PayloadDecoder::Decode(scratch.file("Orva.in"), scratch.file("Orva.zip")));
    EXPECT_EQ(data, TestZip::Load(scratch.file("Orva.zip")));
    EXPECT_FALSE(PayloadDecoder::Decode(scratch.file("missing.in"), scratch.file("other.zip")));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(scratch.file("other.zip").c_str()));
    ASSERT_TRUE(TestZip::Save(scratch.file("empty.in"), ""));
    EXPECT_TRUE(PayloadDecoder::Decode(scratch.file("empty.in"), scratch.file("empty.zip")));
    EXPECT_EQ("", TestZip::Load(scratch.file("empty.zip")));
}

TEST(CreatedEntriesTest, CreatesEveryMissingParentAndRecordsOnlyThose)
{
    testsupport::ScratchDir scratch;
    CreatedEntries created;
    ASSERT_TRUE(created.EnsureFolder(scratch.str()));
    EXPECT_TRUE(created.Snapshot().empty());
    std::string deep = scratch.str() + "\\a\\b\\c\\";
    ASSERT_TRUE(created.EnsureFolder(deep));
    std::vector<std::string> expected = {scratch.str() + "\\a", scratch.str() + "\\a\\b", scratch.str() + "\\a\\b\\c"};
    EXPECT_EQ(expected, created.Snapshot());
    ASSERT_TRUE(created.EnsureFolder(scratch.str() + "\\a\\b"));
    EXPECT_EQ(3u, created.Snapshot().size());
    ASSERT_TRUE(TestZip::Save(scratch.file("plain"), "x"));
    EXPECT_FALSE(created.EnsureFolder(scratch.file("plain")));
    EXPECT_FALSE(created.EnsureFolder(scratch.file("plain") + "\\below"));
    EXPECT_EQ(3u, created.Snapshot().size());
}

// The waiting thread owns a window; another thread sends to it and is only released when
// the waiter handles the message. Posted messages stay queued.
TEST(SentMessageWaitTest, HandlesSentMessagesWhileWaiting)
{
    NoticeRecorder recorder;
    ::PostMessageA(recorder.Window(), WM_INSTALL_PROGRESS, 0, 0);
    HWND window = recorder.Window();
    HANDLE thread = ::CreateThread(nullptr, 0, [](LPVOID target) -> DWORD {
        ProgressNotice notice;
        notice.code = NoticeTotal;
        notice.size = 42;
        ::SendMessageA(static_cast<HWND>(target), WM_INSTALL_PROGRESS, 0, reinterpret_cast<LPARAM>(&notice));
        return 0;
    }, window, 0, nullptr);
    ASSERT_TRUE(thread != nullptr);
    EXPECT_TRUE(SentMessageWait::Wait(thread, 10000));
    ::CloseHandle(thread);
    ASSERT_EQ(1u, recorder.Notices().size());
    EXPECT_EQ(42, recorder.Notices()[0].size);
    MSG message;
    EXPECT_TRUE(::PeekMessageA(&message, recorder.Window(), WM_INSTALL_PROGRESS, WM_INSTALL_PROGRESS, PM_REMOVE));
}

TEST(SentMessageWaitTest, GivesUpAfterTheBound)
{
    HANDLE never = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD start = ::GetTickCount();
    EXPECT_FALSE(SentMessageWait::Wait(never, 200));
    EXPECT_GE(::GetTickCount() - start, 150u);
    ::CloseHandle(never);
}
