// The probe program (i18n_probe) copied into odd folders and run as a child process: what
// GetExeDirectory and a fresh language table see from where the program lies.
#include "i18n/LanguageTable.h"

#include "IniFile.h"
#include "support/ScratchDir.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

class ProbeTest : public ::testing::Test {
protected:
    // Copies the probe to folder\name, creating folder.
    void Place(const std::string& folder, const std::string& name)
    {
        char own[MAX_PATH] = {};
        std::string probe(own, GetModuleFileNameA(nullptr, own, MAX_PATH));
        probe = probe.substr(0, probe.rfind('\\')) + "\\i18n_probe.exe";   // the build folder is plain ASCII
        program_ = folder + "\\" + name;
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << GetLastError();
        ASSERT_TRUE(CopyFileA(probe.c_str(), program_.c_str(), FALSE)) << GetLastError();
    }

    // What the probe writes in this mode, or "<failed>".
    std::string Run(const std::string& mode)
    {
        std::string output = scratch_.file("probe-output.txt");
        DeleteFileA(output.c_str());
        std::string commandLine = "\"" + program_ + "\" \"" + output + "\" " + mode;
        STARTUPINFOA startup = {sizeof startup};
        PROCESS_INFORMATION process = {};
        if (!CreateProcessA(program_.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &process))
            return "<failed>";
        WaitForSingleObject(process.hProcess, 60000);
        DWORD exitCode = 1;
        GetExitCodeProcess(process.hProcess, &exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        std::ifstream in(output, std::ios::binary);
        std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        return exitCode == 0 ? text : "<failed>";
    }

    testsupport::ScratchDir scratch_;
    std::string program_;
};

// 0x95 0x5C is one GBK character whose trail byte is a backslash; it ends both the folder
// name and the program name, so a byte-wise search would cut inside it.
TEST_F(ProbeTest, ExeDirectoryOfDoubleByteNamesWithABackslashTrailByte)
{
    ASSERT_EQ(936u, GetACP());
    std::string folder = scratch_.str() + "\\ab\x95\x5C";
    Place(folder, "probe\x95\x5C.exe");
    EXPECT_EQ(folder, Run("exedir"));
    DeleteFileA(program_.c_str());
    RemoveDirectoryA(folder.c_str());
}

TEST_F(ProbeTest, FirstUseOfTheTableReadsTheFileBesideTheProgram)
{
    std::string folder = scratch_.str() + "\\app";
    Place(folder, "probe.exe");
    std::string iniPath = folder + "\\install\\lang.ini";
    EXPECT_EQ(iniPath + "\n1", Run("table")) << "no file";
    ASSERT_TRUE(CreateDirectoryA((folder + "\\install").c_str(), nullptr));
    ASSERT_TRUE(testsupport::WriteBytes(iniPath, "[lang]\r\ncount=3\r\ndefault=3\r\n"));
    EXPECT_EQ(iniPath + "\n3", Run("table"));
    ASSERT_TRUE(testsupport::WriteBytes(iniPath, "[lang]\r\ndefault=x\r\n"));
    EXPECT_EQ(iniPath + "\n0", Run("table")) << "default=x reads 0";
}

} // namespace
