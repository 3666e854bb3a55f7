#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/zip/ZipReader.h"
#include "support/ScratchDir.h"
#include "zip/ZipTestArchive.h"

namespace {

using Statuses = std::vector<ZipStatus>;

// A scratch folder with one archive in it, opened through the ZIP reader.
class ZipReaderTest : public ::testing::Test {
protected:
    std::string Zip(const std::vector<ZipTestItem>& items)
    {
        EXPECT_TRUE(ZipTestArchive::Write(written_, items));
        return ZipTestArchive::Load(written_);
    }
    // The reader shares its file for reading only, so it is closed before the file changes.
    ZipHandle Open(const std::string& bytes, const char* password = nullptr)
    {
        reader_.reset();
        ZipTestArchive::Save(archive_, bytes);
        reader_.reset(handle_ = ZipReader::OpenFile(archive_.c_str(), password));
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
    const std::string archive_ = scratch_.file("a.zip"), written_ = scratch_.file("w.zip");
    ZipHandle handle_ = nullptr;
    std::unique_ptr<ZipReader, ZipStatus (*)(ZipHandle)> reader_{nullptr, ZipReader::Close};
};

// Bytes that deflate poorly and show any misplaced chunk.
std::string PatternData(size_t size, size_t seed = 1)
{
    std::string data(size, '\0');
    uint32_t x = uint32_t(seed) * 2654435761u + 1;
    for (char& c : data)
        c = char((x = x * 1103515245u + 12345u) >> 16);
    return data;
}

// Header fields cut off by the file's end fail the open.
TEST_F(ZipReaderTest, OnlyAWholeArchiveOpens)
{
    EXPECT_EQ(nullptr, ZipReader::OpenFile(scratch_.file("missing.zip").c_str(), nullptr));
    EXPECT_EQ(nullptr, Open(std::string(5000, 'x')));
    const std::string whole = Zip({{"a", "1"}, {"b/c", "22"}});
    EXPECT_EQ(nullptr, Open(whole.substr(0, whole.size() - 1))) << "one byte short";
    ASSERT_NE(nullptr, Open(whole));
    EXPECT_EQ("22", ReadAll(1).first);
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
    for (const auto& c : cases)
        items.push_back({"item" + std::to_string(items.size()), PatternData(c.size, c.size), c.method});
    ASSERT_NE(nullptr, Open(Zip(items)));
    for (size_t i = items.size(); i-- > 0;)
        EXPECT_TRUE(ReadAll(int32_t(i)) == std::make_pair(items[i].data, cases[i].statuses)) << i;

    std::vector<char> buffer(0x4000);
    Item(4);
    ASSERT_EQ(ZipMore, ZipReader::ReadItem(handle_, 4, buffer.data(), 0x4000));
    EXPECT_TRUE(ReadAll(4).first == items[4].data) << "an item described again starts at its beginning";
}

// The reader checks the header and decrypts traditional PKWARE itself. Any header passes one
// password in 256; the header written here fails "" and "wrong".
TEST_F(ZipReaderTest, EncryptedItemNeedsItsPassword)
{
    for (int method : {0, 8}) {
        ZipTestItem secret{"secret.txt", PatternData(0x4800), method};
        secret.password = "s3cret";
        for (const char* wrong : {static_cast<const char*>(nullptr), "wrong"}) {
            ASSERT_NE(nullptr, Open(Zip({secret, {"plain.txt", "plain"}}), wrong));
            EXPECT_EQ(Statuses{ZipPassword}, ReadAll(0).second) << method;
            EXPECT_EQ("plain", ReadAll(1).first) << "unencrypted items read with any password";
        }
        ASSERT_NE(nullptr, Open(Zip({secret}), "s3cret"));
        EXPECT_TRUE(ReadAll(0) == std::make_pair(secret.data, Statuses{ZipMore, ZipOk})) << method;
    }
}

// A damaged item fails alone: data that does not inflate, stored bytes shorter than recorded
// (never claimed as a full buffer), and a method other than stored and deflated (bzip2 here),
// whose bytes would otherwise be handed out as data.
TEST_F(ZipReaderTest, DamagedItemsFailAndLaterItemsStillRead)
{
    ZipTestItem broken{"broken.bin", std::string(64, '\xFF')}, cut{"short.bin", "0123456789", 0};
    broken.raw = cut.raw = true;
    broken.rawUncompressedSize = 1000;  // an invalid deflate block type
    cut.rawUncompressedSize = 20;
    std::string bytes = Zip({broken, cut, {"b.bz2", "bz", 0}, {"good.txt", PatternData(0x4100)}});
    ZipTestArchive::Put16(bytes, bytes.find("b.bz2") - 22, 12);   // the local header's method
    ZipTestArchive::Put16(bytes, bytes.rfind("b.bz2") - 36, 12);  // the central header's method
    ASSERT_NE(nullptr, Open(bytes));

    for (int32_t index : {0, 1, 2})
        EXPECT_EQ(Statuses{ZipInflateError}, ReadAll(index, 64).second) << index;
    EXPECT_TRUE(ReadAll(3) == std::make_pair(PatternData(0x4100), Statuses{ZipMore, ZipOk}));
}

// A cut-off header fails its item. An archive that claims more items than it holds stops at
// the first it cannot describe; the earlier ones stay reachable.
TEST_F(ZipReaderTest, DamagedHeadersFailTheirItem)
{
    const std::string good = Zip({{"a.txt", "alpha"}, {"b.txt", "bravo"}, {"c.txt", "charlie"}});
    ZipItemInfo info;
    std::string bytes = good;
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
    const std::string bytes = Zip(items);
    ASSERT_NE(nullptr, Open(bytes));
    Item(0);
    std::fstream file(archive_, std::ios::binary | std::ios::in | std::ios::out);
    if (!file.seekp(std::streamoff(bytes.find("PK\1\2"))).put('X').flush())
        GTEST_SKIP() << "the system keeps an archive open for reading from being changed";
    int32_t described = 1;
    while (described < 300 && items[size_t(described)].name == Item(described).name)
        ++described;
    EXPECT_EQ(300, described) << "the walk went back to the damaged first entry";
}

constexpr uint32_t R = ZipItemInfo::ReadOnly, H = ZipItemInfo::Hidden, S = ZipItemInfo::System,
                   D = ZipItemInfo::Directory, A = ZipItemInfo::Archive, Unix = ZipTestItem::UnixHost;

// Every name comes out in UTF-8. A name the archive declares UTF-8 (flag bit 11, or a Unicode
// Path record whose checksum matches the stored name, central or local) is taken as it is,
// any character included; an undeclared one is bytes of the code page (936 on the host),
// converted. Broken UTF-8 and bytes that are no text in the code page leave no name at all.
// Then the name is cut to 259 UTF-16 units, never inside a character, and drive letters,
// leading separators and parent components are cut from its start, each spelling tried in a
// fixed order over the whole name; everything else stays as stored. Every item still reads.
// Attributes come from the external attributes as the host family (version made by) defines
// them.
TEST_F(ZipReaderTest, ItemsAreDescribedWithSafeNamesAndTheirAttributes)
{
    const std::string shuoming = "\xE8\xAF\xB4\xE6\x98\x8E";  // 说明 in UTF-8
    const std::string gbk = "\xCB\xB5\xC3\xF7";               // 说明 in code page 936
    const std::string smile = "\xF0\x9F\x98\x80";             // U+1F600, two UTF-16 units
    const auto up = ZipTestArchive::UnicodePathRecord;
    const struct {
        ZipTestItem item;
        std::string name;
        bool damaged = false;
        uint32_t attributes = 0;
    } cases[] = {
        {{"docs\\a.b\\..c\\x..", "x"}, "docs\\a.b\\..c\\x.."}, {{"c:\\x\\..\\y/z.txt", "x"}, "y/z.txt"},
        {{gbk + ".txt", "x"}, shuoming + ".txt"},
        // One character of code page 936 whose second byte is a backslash: no separator.
        {{"\x95\x5C..\\x", "x"}, "\xE6\x98\x9E..\\x"},
        {{"a\x81(.txt", "x"}, "", true}, {{"end\x81", "x"}, "", true},
        // Leading, trailing and bare parent components climbed out of the install directory.
        {{"..\\..\\x", "x"}, "x"}, {{"../x", "x"}, "x"}, {{"..", "x"}, ""}, {{"c:/a/b\\..", "x"}, ""},
        {{"../" + std::string(300, 'm'), "x"}, std::string(256, 'm')},  // cut to 259 units first, then ruled
        {{std::string(258, 'm') + smile, "x", 8, 0x800}, std::string(258, 'm')},
        // 259 units (275 bytes) whole; one unit more loses the last character.
        {{std::string(250, 'm') + "/" + shuoming + shuoming + shuoming + shuoming, "x", 8, 0x800},
         std::string(250, 'm') + "/" + shuoming + shuoming + shuoming + shuoming},
        {{std::string(251, 'm') + "/" + shuoming + shuoming + shuoming + shuoming, "x", 8, 0x800},
         std::string(251, 'm') + "/" + shuoming + shuoming + shuoming + "\xE8\xAF\xB4"},
        {{"/../docs/" + shuoming + ".txt", "x", 8, 0x800}, "docs/" + shuoming + ".txt"},
        {{"a" + smile + ".txt", "x", 8, 0x800}, "a" + smile + ".txt"},
        {{"bad\xC3(.txt", "x", 8, 0x800}, "", true},
        {{"surrogate\xED\xA0\x80", "x", 8, 0x800}, "", true},
        {{"old.txt", "x", 8, 0, "", up("old.txt", shuoming + ".txt")}, shuoming + ".txt"},
        {{"old.txt", "x", 8, 0, up("old.txt", "c:/" + shuoming)}, shuoming},
        {{"old.txt", "x", 8, 0, "", up("renamed.txt", shuoming)}, "old.txt"},
        {{gbk, "x", 8, 0, up(gbk, "\xC3(")}, "", true},
        // Only the five known DOS bits; a Unix mode's absent write bit is read-only, and DOS bits
        // from a Unix host mean nothing.
        {{"dos", "x", 8, 0, "", "", 0x0014, 0xFFFFFFFFu}, "dos", false, R | H | S | D | A},
        {{"unix-file", "x", 8, 0, "", "", Unix, 0100644u << 16}, "unix-file", false, A},
        {{"osx-dir/", "x", 8, 0, "", "", 0x1314, 040555u << 16}, "osx-dir/", false, D | A | R},
        {{"unix-no-mode", "x", 8, 0, "", "", Unix, 0x10}, "unix-no-mode", false, R | A},
    };
    std::vector<ZipTestItem> items;
    for (const auto& c : cases)
        items.push_back(c.item);
    ASSERT_NE(nullptr, Open(Zip(items)));
    for (int32_t i = 0; i < int32_t(items.size()); ++i) {
        SCOPED_TRACE(items[size_t(i)].name);
        ZipItemInfo info = Item(i);
        EXPECT_EQ(cases[i].name, info.name);
        EXPECT_EQ(cases[i].damaged, info.nameDamaged != 0);
        EXPECT_EQ(cases[i].attributes, info.attributes);
        EXPECT_EQ("x", ReadAll(i).first);
    }
}

// An impossible DOS date gives no time rather than a wrapped one.
TEST_F(ZipReaderTest, AnImpossibleDosDateGivesNoTime)
{
    ZipTestItem invalid{"invalid", "x"};
    invalid.dosDateTime = 0x565E5000;  // 2023-02-30 10:00:00
    ASSERT_NE(nullptr, Open(Zip({invalid, {"valid", "x"}})));
    EXPECT_EQ(0u, Item(0).writeTime);
    EXPECT_NE(0u, Item(1).writeTime);
}

} // namespace
