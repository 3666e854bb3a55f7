// The install log's format: what the engine writes reads back exactly, what is not a
// whole log (cut short by a crash, damaged, or followed by more) is no log at all, and a
// log of an earlier setup, its names in the code page, reads as UTF-8.
#include <gtest/gtest.h>

#include "remover/InstallLog.h"
#include "remover/InstallLogPlatform.h"

namespace {

InstallLog Sample()
{
    InstallLog log;
    log.directory = "C:\\Apps\\Orvanta 4.00";
    log.parents = {"C:\\Apps"};
    log.folders = {"docs", "docs\\sub"};
    log.files = {"terminal.exe", "docs\\100%\tname\r\n.txt"};
    log.group = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Orvanta";
    log.groupExisted = true;
    log.earlierGroups = {"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Old"};
    log.shortcuts = {"C:\\Users\\a\\Desktop\\Orvanta 4.00.lnk"};
    log.record = {{"InstallPath", "C:\\Apps\\Orvanta 4.00"}, {"SetupName", "a=b"}};
    return log;
}

TEST(InstallLog, ReadsBackWhatItWrote)
{
    const std::string text = Sample().Serialize();
    ASSERT_EQ(0u, text.find("Orvanta install log 2\n"));
    InstallLog read;
    ASSERT_TRUE(read.Parse(text));
    EXPECT_EQ(InstallLog::Utf8Version, read.version);
    EXPECT_EQ(text, read.Serialize());
    EXPECT_EQ("docs\\100%\tname\r\n.txt", read.files[1]);
    EXPECT_EQ("a=b", read.record[1].second);
    EXPECT_TRUE(read.groupExisted);
    EXPECT_FALSE(read.directoryExisted);
    // A later version's keys are skipped.
    std::string later = text;
    later.insert(later.find("end\n"), "checksum\tabc\n");
    EXPECT_TRUE(read.Parse(later));
}

TEST(InstallLog, WhatIsNotAWholeLogIsNoLog)
{
    const std::string text = Sample().Serialize();
    const std::string damaged[] = {
        text.substr(0, text.size() - 1),            // the last line unended
        text.substr(0, text.find("end\n")),         // cut before its end
        text + "file\tlater.txt\n",                 // more after the end
        "Orvanta install log 3\n" + text.substr(text.find('\n') + 1),
        text.substr(0, text.find("end\n")) + "file\tbad%2\nend\n",
        text.substr(0, text.find("end\n")) + "file no tab\nend\n",
        text.substr(0, text.find("end\n")) + "record\tno equals\nend\n",
        "",
    };
    for (const std::string& bad : damaged) {
        InstallLog log = Sample();
        EXPECT_FALSE(log.Parse(bad)) << bad;
        EXPECT_TRUE(log.files.empty() && log.directory.empty()) << "a refused log leaves nothing";
    }
}

// An earlier setup wrote the names in the machine's code page (936 on the host): they are
// read as written, and become UTF-8 only through the converter; an entry that is no text
// there is dropped, never kept under another name. Until converted, the log is written
// back under its own header, so its bytes are never taken for UTF-8.
TEST(InstallLog, AnEarlierSetupsLogReadsAsUtf8)
{
    const std::string gbkDirectory = "C:\\\xB3\xCC\xD0\xF2\\Orvanta";   // C:\程序\Orvanta
    const std::string v1 = "Orvanta install log 1\n"
                           "directory\t" + gbkDirectory + "\ndirectory-existed\t0\n"
                           "folder\t\xCE\xC4\xB5\xB5\n"                      // 文档
                           "file\t\xCE\xC4\xB5\xB5\\\x81\x5C.txt\n"         // 文档\乗.txt
                           "file\tbad\x81.txt\n"                              // a lead byte without its trail
                           "file\tplain.txt\n"
                           "group\tC:\\Programs\\\xD7\xE9\n"                 // 组
                           "group-existed\t0\n"
                           "shortcut\tC:\\Programs\\\xD7\xE9\\a.lnk\n"
                           "record\tInstallPath=" + gbkDirectory + "\n"
                           "end\n";
    InstallLog log;
    ASSERT_TRUE(log.Parse(v1));
    EXPECT_EQ(InstallLog::CodePageVersion, log.version);
    EXPECT_EQ(gbkDirectory, log.directory);
    EXPECT_EQ(v1, log.Serialize());

    log.ConvertFromCodePage(&InstallLogPlatform::CodePageToUtf8);
    const std::string directory = "C:\\\u7A0B\u5E8F\\Orvanta";
    EXPECT_EQ(InstallLog::Utf8Version, log.version);
    EXPECT_EQ(directory, log.directory);
    EXPECT_EQ((std::vector<std::string>{"\u6587\u6863"}), log.folders);
    EXPECT_EQ((std::vector<std::string>{"\u6587\u6863\\\u4E57.txt", "plain.txt"}), log.files);
    EXPECT_EQ("C:\\Programs\\\u7EC4", log.group);
    EXPECT_EQ((std::vector<std::string>{"C:\\Programs\\\u7EC4\\a.lnk"}), log.shortcuts);
    EXPECT_EQ(directory, log.record.at(0).second);
    InstallLog again;
    ASSERT_TRUE(again.Parse(log.Serialize()));
    EXPECT_EQ(InstallLog::Utf8Version, again.version);
    EXPECT_EQ(log.files, again.files);
    // A log in UTF-8 is never converted again.
    again.ConvertFromCodePage([](const std::string&, std::string&) { return false; });
    EXPECT_EQ(log.files, again.files);
}

// A reinstallation's log keeps the earlier entries and what existed before the first run.
TEST(InstallLog, InheritKeepsTheEarlierRunsEntries)
{
    InstallLog earlier = Sample(), later;
    earlier.directoryExisted = true;
    later.files = {"terminal.exe", "new.dll"};
    later.group = earlier.group;
    later.Inherit(earlier);
    EXPECT_EQ((std::vector<std::string>{"terminal.exe", "new.dll", "docs\\100%\tname\r\n.txt"}), later.files);
    EXPECT_TRUE(later.directoryExisted && later.groupExisted);
    EXPECT_EQ(earlier.folders, later.folders);
    EXPECT_EQ(earlier.shortcuts, later.shortcuts);
    // A group the earlier run created, left for another, stays the installation's to remove.
    InstallLog moved;
    moved.group = "C:\\Programs\\New";
    earlier.groupExisted = false;
    moved.Inherit(earlier);
    EXPECT_EQ((std::vector<std::string>{earlier.group, earlier.earlierGroups[0]}), moved.earlierGroups);
}

} // namespace
