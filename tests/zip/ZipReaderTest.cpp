#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/zip/ZipReader.h"
#include "engine/zip/ZipTimes.h"
#include "support/ScratchDir.h"
#include "zip/ZipTestArchive.h"

namespace {

using Statuses = std::vector<ZipStatus>;

// A scratch folder with one archive in it, opened through the ZIP reader.
class ZipReaderTest : public ::testing::Test {
protected:
    // The reader shares its file for reading only, so it is closed before the file changes.
    ZipHandle Open(const std::vector<ZipTestItem>& items, const char* password = nullptr)
    {
        reader_.reset();
        EXPECT_TRUE(ZipTestArchive::Write(archive_, items));
        reader_.reset(handle_ = ZipReader::OpenFile(archive_.c_str(), password));
        return handle_;
    }
    ZipHandle Open(const std::string& bytes)
    {
        reader_.reset();
        ZipTestArchive::Save(archive_, bytes);
        reader_.reset(handle_ = ZipReader::OpenFile(archive_.c_str(), nullptr));
        return handle_;
    }

    ZipItemInfo Item(int32_t index)
    {
        ZipItemInfo info;
        EXPECT_EQ(ZipOk, ZipReader::GetItem(handle_, index, info));
        return info;
    }

    // Reads until the status is no longer ZipMore, working out each chunk's length the way
    // the payload extraction does: the last one's is the item's size less what came before.
    std::pair<std::string, Statuses> ReadAll(int32_t index, uint32_t chunk = 0x4000)
    {
        size_t size = size_t(Item(index).uncompressedSize);
        std::string data;
        Statuses statuses;
        std::vector<char> buffer(chunk);
        do {
            statuses.push_back(ZipReader::ReadItem(handle_, index, buffer.data(), chunk));
            size_t last = size > data.size() ? std::min<size_t>(size - data.size(), chunk) : 0;
            if (statuses.back() == ZipMore || statuses.back() == ZipOk)
                data.append(buffer.data(), statuses.back() == ZipMore ? chunk : last);
        } while (statuses.back() == ZipMore && statuses.size() < 10000);
        return {data, statuses};
    }

    testsupport::ScratchDir scratch_;
    const std::string archive_ = scratch_.file("a.zip");
    ZipHandle handle_ = nullptr;
    std::unique_ptr<ZipReader, ZipStatus (*)(ZipHandle)> reader_{nullptr, ZipReader::Close};
};

// Bytes that deflate poorly and show any misplaced chunk.
std::string PatternData(size_t size, unsigned seed = 1)
{
    std::string data(size, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (char& c : data)
        c = char((x = x * 1103515245u + 12345u) >> 16);
    return data;
}

// Index -1 gives the count; a failed description empties index, name and size.
TEST_F(ZipReaderTest, OpenCountAndBadArguments)
{
    EXPECT_EQ(nullptr, ZipReader::OpenFile(scratch_.file("missing.zip").c_str(), nullptr));
    EXPECT_EQ(nullptr, Open(std::string(5000, 'x')));
    ASSERT_NE(nullptr, Open({{"a", "1"}, {"b/", ""}, {"b/c", "22"}}));
    const std::string whole = ZipTestArchive::Load(archive_);
    EXPECT_EQ(nullptr, Open(whole.substr(0, whole.size() - 1))) << "one byte short";
    ASSERT_NE(nullptr, Open(whole));
    EXPECT_EQ(3, Item(-1).index);
    EXPECT_STREQ("", Item(-1).name);

    ZipItemInfo info = Item(2);
    EXPECT_EQ(ZipBadArgs, ZipReader::GetItem(handle_, 3, info));
    EXPECT_EQ(0, info.index);
    EXPECT_STREQ("", info.name);
    EXPECT_EQ(0, info.uncompressedSize);
    EXPECT_EQ(ZipBadArgs, ZipReader::GetItem(handle_, -2, info));
    EXPECT_EQ(ZipBadArgs, ZipReader::GetItem(nullptr, 0, info));
    char buffer[16];
    EXPECT_EQ(ZipBadArgs, ZipReader::ReadItem(nullptr, 0, buffer, sizeof buffer));
    for (int32_t index : {3, -1})
        EXPECT_EQ(ZipBadArgs, ZipReader::ReadItem(handle_, index, buffer, sizeof buffer)) << index;
    EXPECT_EQ(ZipBadArgs, ZipReader::ReadItem(handle_, 0, nullptr, 4));
    EXPECT_EQ("22", ReadAll(2).first) << "the reader still works after bad arguments";
}

// An item ends (ZipOk) in the buffer that holds its last byte. Items read in any order, and
// describing the open item again, from the description cache, starts it over.
TEST_F(ZipReaderTest, ItemsReadInChunksInAnyOrder)
{
    const struct {
        int method;
        size_t size;
        Statuses statuses;
    } cases[] = {
        {0, 0, {ZipOk}}, {0, 0x4000, {ZipOk}}, {0, 0x4001, {ZipMore, ZipOk}}, {8, 0x4000, {ZipOk}},
        {8, 0xC005, {ZipMore, ZipMore, ZipMore, ZipOk}},
    };
    std::vector<ZipTestItem> items;
    for (const auto& c : cases) {
        items.push_back({"item" + std::to_string(items.size()), PatternData(c.size, unsigned(items.size()))});
        items.back().method = c.method;
    }
    ASSERT_NE(nullptr, Open(items));
    for (size_t i = items.size(); i-- > 0;)
        EXPECT_TRUE(ReadAll(int32_t(i)) == std::make_pair(items[i].data, cases[i].statuses)) << i;

    std::vector<char> buffer(0x4000);
    Item(4);
    ASSERT_EQ(ZipMore, ZipReader::ReadItem(handle_, 4, buffer.data(), 0x4000));
    EXPECT_TRUE(ReadAll(4).first == items[4].data) << "an item described again starts at its beginning";
    ASSERT_EQ(ZipOk, ZipReader::ReadItem(handle_, 1, buffer.data(), 0x4000));
    EXPECT_EQ(ZipOk, ZipReader::ReadItem(handle_, 1, buffer.data(), 0x4000)) << "an ended item stays ended";
}

// The reader checks the header and decrypts traditional PKWARE itself. Any header passes one
// password in 256; the header written here fails "" and "wrong".
TEST_F(ZipReaderTest, EncryptedItemNeedsItsPassword)
{
    for (int method : {0, 8}) {
        ZipTestItem secret{"secret.txt", PatternData(0x4800)};
        secret.method = method;
        secret.password = "s3cret";
        for (const char* wrong : {static_cast<const char*>(nullptr), "wrong"}) {
            ASSERT_NE(nullptr, Open({secret, {"plain.txt", "plain"}}, wrong));
            EXPECT_EQ(Statuses{ZipPassword}, ReadAll(0).second) << method;
            EXPECT_EQ("plain", ReadAll(1).first) << "unencrypted items read with any password";
        }
        ASSERT_NE(nullptr, Open({secret}, "s3cret"));
        EXPECT_TRUE(ReadAll(0) == std::make_pair(secret.data, Statuses{ZipMore, ZipOk})) << method;
    }
}

// A damaged item fails alone: data that does not inflate, stored bytes shorter than recorded
// (never claimed as a full buffer), and a method other than stored and deflated (bzip2 here),
// whose bytes would otherwise be handed out as data.
TEST_F(ZipReaderTest, DamagedItemsFailAndLaterItemsStillRead)
{
    ZipTestItem broken{"broken.bin", std::string(64, '\xFF')}, cut{"short.bin", "0123456789"};
    ZipTestItem bzip2{"b.bz2", "bz"};
    broken.raw = cut.raw = true;
    broken.rawUncompressedSize = 1000;  // an invalid deflate block type
    cut.method = bzip2.method = 0;
    cut.rawUncompressedSize = 20;
    ASSERT_TRUE(ZipTestArchive::Write(archive_, {broken, cut, bzip2, {"good.txt", PatternData(0x4100)}}));
    std::string bytes = ZipTestArchive::Load(archive_);
    ZipTestArchive::Put16(bytes, bytes.find("b.bz2") - 22, 12);   // the local header's method
    ZipTestArchive::Put16(bytes, bytes.rfind("b.bz2") - 36, 12);  // the central header's method
    ASSERT_NE(nullptr, Open(bytes));

    for (int32_t index : {0, 1, 2})
        EXPECT_EQ(Statuses{ZipInflateError}, ReadAll(index, 64).second) << index;
    EXPECT_TRUE(ReadAll(3) == std::make_pair(PatternData(0x4100), Statuses{ZipMore, ZipOk}));
}

// A damaged or cut-off header fails its item. An archive that claims more items than it holds
// stops at the first it cannot describe; the earlier ones stay reachable.
TEST_F(ZipReaderTest, DamagedHeadersFailTheirItem)
{
    ASSERT_TRUE(ZipTestArchive::Write(archive_, {{"a.txt", "alpha"}, {"b.txt", "bravo"}, {"c.txt", "charlie"}}));
    const std::string good = ZipTestArchive::Load(archive_);
    ZipItemInfo info;
    std::string bytes = good;
    bytes[0] = 'X';  // the first local header's signature
    ASSERT_NE(nullptr, Open(bytes));
    EXPECT_EQ(ZipBadHeader, ZipReader::GetItem(handle_, 0, info));
    EXPECT_STREQ("b.txt", Item(1).name);

    bytes = good;
    ZipTestArchive::Put16(bytes, good.find("c.txt") - 2, 0xFFFF);  // the local extra's length
    ASSERT_NE(nullptr, Open(bytes));
    EXPECT_EQ(ZipReadFailed, ZipReader::GetItem(handle_, 2, info)) << "local extra data past the file's end";

    bytes = good;
    ZipTestArchive::Put16(bytes, good.rfind("PK\5\6") + 8, 5);
    ZipTestArchive::Put16(bytes, good.rfind("PK\5\6") + 10, 5);
    ASSERT_NE(nullptr, Open(bytes));
    EXPECT_EQ(5, Item(-1).index);
    EXPECT_STREQ("c.txt", Item(2).name);
    for (int32_t index : {4, 3})
        EXPECT_EQ(ZipBadHeader, ZipReader::GetItem(handle_, index, info)) << index;
    EXPECT_EQ("charlie", ReadAll(2).first) << "the items before stay reachable";
    char buffer[8];
    EXPECT_EQ(ZipInflateError, ZipReader::ReadItem(handle_, 3, buffer, sizeof buffer));
}

// Items described in order step forward through the central directory one entry at a time;
// a walk that went back to the first entry for every item would take quadratic time. Long
// names make the directory many times larger than the reader keeps in memory, so once the
// first entry is damaged on disk, any later return to it fails. (Steps back are
// ItemsReadInChunksInAnyOrder's.)
TEST_F(ZipReaderTest, ItemsInOrderWalkTheCentralDirectoryForward)
{
    std::vector<ZipTestItem> items;
    for (int i = 0; i < 300; ++i)
        items.push_back({std::string(60, 'n') + std::to_string(i), "x"});
    ASSERT_NE(nullptr, Open(items));
    Item(0);
    const size_t directory = ZipTestArchive::Load(archive_).find("PK\1\2");
    std::fstream file(archive_, std::ios::binary | std::ios::in | std::ios::out);
    if (!file.seekp(std::streamoff(directory)).put('X').flush())
        GTEST_SKIP() << "the system keeps an archive open for reading from being changed";
    int32_t described = 1;
    while (described < 300 && items[size_t(described)].name == Item(described).name)
        ++described;
    EXPECT_EQ(300, described) << "the walk went back to the damaged first entry";
}

constexpr uint32_t R = ZipItemInfo::ReadOnly, H = ZipItemInfo::Hidden, S = ZipItemInfo::System,
                   D = ZipItemInfo::Directory, A = ZipItemInfo::Archive, Unix = ZipTestItem::UnixHost;

// A name the archive declares UTF-8 (flag bit 11, or a Unicode Path record whose checksum
// matches the stored name, central or local) is converted to code page 936; one the code page
// cannot hold, or broken UTF-8, leaves no name at all; undeclared names are the stored bytes.
// Then the name is cut to 259 bytes, and drive letters, leading separators and parent
// components are cut from its start, each spelling tried in a fixed order over the whole name;
// everything else stays as stored. Every item still reads. Attributes come from the external
// attributes as the host family (version made by) defines them.
TEST_F(ZipReaderTest, ItemsAreDescribedWithSafeNamesAndTheirAttributes)
{
    const std::string shuoming = "\xE8\xAF\xB4\xE6\x98\x8E";  // 说明 in UTF-8
    const std::string gbk = "\xCB\xB5\xC3\xF7";               // 说明 in code page 936
    const std::string emoji = "\xF0\x9F\x98\x80", longName = std::string(280, 'n') + "/tail.txt";
    const auto up = ZipTestArchive::UnicodePathRecord;
    const struct {
        std::string stored, name;
        uint32_t flags = 0;
        std::string local = {}, central = {};
        bool unconvertible = false;
        uint32_t versionMadeBy = ZipTestItem::DosHost, external = 0, attributes = 0;
    } cases[] = {
        {"readme.txt", "readme.txt"}, {"bin/terminal.exe", "bin/terminal.exe"}, {"a/./b", "a/./b"},
        {"docs\\a.b\\..c\\x..", "docs\\a.b\\..c\\x.."}, {"", ""}, {"...\\x", "...\\x"},
        {"c:\\x\\..\\y/z.txt", "y/z.txt"}, {"/abs/file", "abs/file"}, {"..\\..\\x", "x"}, {"c:\\", ""},
        {"D:/\\//", ""}, {"c:d:e:", ""}, {"a/../b", "b"}, {"a\\../b/..\\c", "c"}, {"a/../b\\..\\c", "c"},
        {"\\\\server\\share\\..\\file", "file"}, {"..\\x", "x"}, {"../x", "x"}, {"a/../../b", "b"},
        {"../../../x", "x"}, {"..\\c:\\..\\x", "x"}, {"..", ""}, {"a/..", ""}, {"c:/a/b\\..", ""},
        {"../c:/x", "x"}, {"c:\\/\\", ""}, {gbk + ".txt", gbk + ".txt"}, {longName, longName.substr(0, 259)},
        {"../" + std::string(300, 'm'), std::string(256, 'm')},  // cut to 259 bytes first, then ruled
        {"docs/" + shuoming + ".txt", "docs/" + gbk + ".txt", 0x800},
        {"/../" + shuoming + "/", gbk + "/", 0x800},
        {"x.txt", "x.txt", 0x800},
        {"a" + emoji + ".txt", "", 0x800, "", "", true},
        {"bad\xC3(.txt", "", 0x800, "", "", true},
        {"old.txt", gbk + ".txt", 0, "", up("old.txt", shuoming + ".txt")},
        {"old.txt", gbk, 0, up("old.txt", "c:/" + shuoming)},
        {"old.txt", "old.txt", 0, "", up("renamed.txt", shuoming)},
        {"old.txt", "", 0, "", up("old.txt", emoji), true},
        {"dos-all", "dos-all", 0, "", "", false, 0x0014, 0x01 | 0x02 | 0x04 | 0x10 | 0x20, R | H | S | D | A},
        {"dos-masked", "dos-masked", 0, "", "", false, 0x0014, 0xFFFFFFC8u, 0},  // only the five known bits
        {"mac", "mac", 0, "", "", false, 0x0700, R | H, R | H},
        {"ntfs", "ntfs", 0, "", "", false, 0x0B00, D, D},
        {"vfat", "vfat", 0, "", "", false, 0x0E00, A | S, A | S},
        {"unix-dir/", "unix-dir/", 0, "", "", false, Unix, 040755u << 16, D | A},
        {"unix-readonly", "unix-readonly", 0, "", "", false, Unix, 0100444u << 16, R | A},
        {"unix-file", "unix-file", 0, "", "", false, Unix, 0100644u << 16, A},
        {"osx-dir/", "osx-dir/", 0, "", "", false, 0x1314, 040555u << 16, D | A | R},
        {"unix-no-mode", "unix-no-mode", 0, "", "", false, Unix, 0x10, R | A},  // DOS bits mean nothing here
    };
    std::vector<ZipTestItem> items;
    for (const auto& c : cases) {
        items.push_back({c.stored, "data"});
        items.back().flags = c.flags;
        items.back().localExtra = c.local;
        items.back().centralExtra = c.central;
        items.back().versionMadeBy = c.versionMadeBy;
        items.back().externalAttributes = c.external;
    }
    ASSERT_NE(nullptr, Open(items));
    for (int32_t i = 0; i < int32_t(items.size()); ++i) {
        ZipItemInfo info = Item(i);
        EXPECT_EQ(cases[i].name, info.name) << cases[i].stored;
        EXPECT_EQ(cases[i].unconvertible, info.nameUnconvertible != 0) << cases[i].stored;
        EXPECT_EQ(cases[i].attributes, info.attributes) << cases[i].stored;
        EXPECT_EQ("data", ReadAll(i).first) << cases[i].stored;
    }
}

uint64_t FromUnix(int64_t seconds)
{
    return uint64_t(seconds + ZipTimes::UnixEpochOffset) * 10000000u;
}

// The MS-DOS stamp is local time. The host build takes the local zone as UTC; under Windows
// the result differs from the UTC reading by the zone's bias, whole quarter hours, at most 14 h.
void ExpectLocalStamp(uint64_t utcReading, uint64_t fileTime)
{
    int64_t bias = int64_t(fileTime) - int64_t(utcReading);
#ifdef _WIN32
    const int64_t quarterHour = 15LL * 60 * 10000000;
    EXPECT_EQ(0, bias % quarterHour);
    EXPECT_LE(bias < 0 ? -bias : bias, 14 * 4 * quarterHour);
#else
    EXPECT_EQ(0, bias);
#endif
}

// The extended timestamp overrides only the times it flags; an impossible date gives no time.
TEST_F(ZipReaderTest, TimesFromTheDosStampAndTheExtendedTimestamp)
{
    const int32_t m = 1600000000, c = 1500000000;
    ZipTestItem plain{"plain", "x"}, invalid{"invalid", "x"}, stamped{"stamped", "x"};
    plain.dosDateTime = 0x585DBF7D;    // 2024-02-29 23:59:58
    invalid.dosDateTime = 0x565E5000;  // 2023-02-30 10:00:00
    stamped.localExtra = ZipTestArchive::Record("xy", "12345") + ZipTestArchive::TimestampRecord(5, {m, c});
    ASSERT_NE(nullptr, Open({plain, invalid, stamped}));

    ZipItemInfo info = Item(0);
    ExpectLocalStamp(FromUnix(1709251198), info.writeTime);
    EXPECT_EQ(info.writeTime, info.accessTime);
    EXPECT_EQ(info.writeTime, info.creationTime);
    EXPECT_EQ(0u, Item(1).writeTime);
    info = Item(2);
    EXPECT_EQ(FromUnix(m), info.writeTime);
    EXPECT_EQ(FromUnix(c), info.creationTime);
    ExpectLocalStamp(FromUnix(1736688506), info.accessTime);
}

} // namespace
