#include "framework/EventLog.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <vector>

#include "support/ScratchDir.h"

namespace {

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        EXPECT_FALSE(line.empty() || line.back() != '\r') << "every line ends with CR LF";
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

class EventLogTest : public ::testing::Test {
protected:
    void TearDown() override { EventLog::Instance().Close(); }
    testsupport::ScratchDir scratch;
};

TEST_F(EventLogTest, AppendsTimedUtf8LinesAndKeepsWhatWasThere)
{
    std::filesystem::path path = scratch.path() / "setup.log";
    std::ofstream(path, std::ios::binary) << "earlier run\r\n";
    EventLog& log = EventLog::Instance();
    ASSERT_TRUE(log.Open(path.u8string()));
    // Korean, Arabic and a character beyond the Basic Multilingual Plane, as UTF-8.
    const std::string name = "\xEC\x84\xA4\xEC\xB9\x98 \xD8\xA7\xD9\x84\xD9\x85\xD9\x84\xD9\x81 \xF0\xA0\x80\x80";
    log.Write("directory: " + name);
    log.Write("two\r\nlines");
    log.Close();
    log.Write("dropped: no file");

    std::vector<std::string> lines = Lines(ReadAll(path));
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ("earlier run", lines[0]);
    const std::regex stamped(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} (.*))");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(lines[1], match, stamped)) << lines[1];
    EXPECT_EQ("directory: " + name, match[1].str());
    ASSERT_TRUE(std::regex_match(lines[2], match, stamped)) << lines[2];
    EXPECT_EQ("two  lines", match[1].str()) << "a line break inside an event must not start a forged line";
}

TEST_F(EventLogTest, FailuresCarryTheCodeAndTheSystemsWords)
{
    std::filesystem::path path = scratch.path() / "failure.log";
    ASSERT_TRUE(EventLog::Instance().Open(path.u8string()));
    EventLog::Instance().Failure("create terminal.exe", ERROR_SHARING_VIOLATION);
    EventLog::Instance().Close();
    std::string text = ReadAll(path);
    EXPECT_NE(std::string::npos, text.find("create terminal.exe: error 32: ")) << text;
    EXPECT_EQ(EventLog::SystemMessage(ERROR_SHARING_VIOLATION).find("error 32"), std::string::npos)
        << "the system has words for error 32";
    EXPECT_EQ("error 987654", EventLog::SystemMessage(987654));
}

TEST_F(EventLogTest, RefusesWhatIsNoFileToAppendTo)
{
    EventLog& log = EventLog::Instance();
    EXPECT_FALSE(log.Open(""));
    EXPECT_FALSE(log.Open(scratch.path().u8string())) << "a folder";
    EXPECT_FALSE(log.Open((scratch.path() / "missing" / "setup.log").u8string())) << "a missing folder";
    EXPECT_FALSE(log.IsOpen());
    std::filesystem::path target = scratch.path() / "target.txt";
    std::ofstream(target, std::ios::binary) << "keep";
    std::filesystem::path link = scratch.path() / "link.log";
    // Only where the system shows the link as one (Wine's emulation of file links does not).
    DWORD attributes = ::CreateSymbolicLinkW(link.wstring().c_str(), target.wstring().c_str(), 0)
                           ? ::GetFileAttributesW(link.wstring().c_str())
                           : INVALID_FILE_ATTRIBUTES;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        EXPECT_FALSE(log.Open(link.u8string())) << "a link planted where the log should go";
        EXPECT_EQ("keep", ReadAll(target));
    }
}

} // namespace
