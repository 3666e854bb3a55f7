// The install log's format: what the engine writes reads back exactly, and what is not a
// whole log (cut short by a crash, damaged, or followed by more) is no log at all.
#include <gtest/gtest.h>

#include "remover/InstallLog.h"

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
    InstallLog read;
    ASSERT_TRUE(read.Parse(text));
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
        "Orvanta install log 2\n" + text.substr(text.find('\n') + 1),
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
