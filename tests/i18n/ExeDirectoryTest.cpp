#include "i18n/LanguageTable.h"

#include "IniFile.h"
#include "support/ScratchDir.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string OwnDirectory()
{
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text(path, length);
    return text.substr(0, text.rfind('\\')); // the build folder is plain ASCII
}

// Runs program with its arguments and returns the file it writes, or "<failed>".
std::string RunProbe(const std::string& program, const std::string& mode,
                     const testsupport::ScratchDir& scratch)
{
    std::string output = scratch.file("probe-output.txt");
    DeleteFileA(output.c_str());
    std::string commandLine = "\"" + program + "\" \"" + output + "\" " + mode;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process))
        return "<failed>";
    WaitForSingleObject(process.hProcess, 60000);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (exitCode != 0)
        return "<failed>";
    std::ifstream in(output, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Copies the probe program to folder\name, creating folder.
std::string PlaceProbe(const std::string& folder, const std::string& name)
{
    if (!CreateDirectoryA(folder.c_str(), nullptr)) {
        ADD_FAILURE() << "CreateDirectoryA error " << GetLastError();
        return std::string();
    }
    std::string target = folder + "\\" + name;
    std::string probe = OwnDirectory() + "\\i18n_probe.exe";
    if (!CopyFileA(probe.c_str(), target.c_str(), FALSE)) {
        ADD_FAILURE() << "CopyFileA error " << GetLastError();
        return std::string();
    }
    return target;
}

TEST(GetExeDirectory, DoubleByteCharactersWithABackslashTrailByte)
{
    ASSERT_EQ(936u, GetACP());
    testsupport::ScratchDir scratch;
    // 0x95 0x5C is one GBK character whose trail byte is a backslash; it ends both the
    // folder name and the program name, so a byte-wise search would cut inside it.
    const std::string character = "\x95\x5C";
    std::string folder = scratch.str() + "\\ab" + character;
    std::string program = PlaceProbe(folder, "probe" + character + ".exe");
    ASSERT_FALSE(program.empty());
    EXPECT_EQ(folder, RunProbe(program, "exedir", scratch));
    DeleteFileA(program.c_str());
    RemoveDirectoryA(folder.c_str());
}

TEST(LanguageTableInstance, FirstUseReadsTheFileBesideTheProgram)
{
    testsupport::ScratchDir scratch;
    std::string folder = scratch.str() + "\\app";
    std::string program = PlaceProbe(folder, "probe.exe");
    ASSERT_FALSE(program.empty());
    std::string iniPath = folder + "\\install\\lang.ini";

    EXPECT_EQ(iniPath + "\n1", RunProbe(program, "table", scratch)) << "no file";

    ASSERT_TRUE(CreateDirectoryA((folder + "\\install").c_str(), nullptr));
    ASSERT_TRUE(testsupport::WriteBytes(iniPath, "[lang]\r\ncount=3\r\ndefault=3\r\n"));
    EXPECT_EQ(iniPath + "\n3", RunProbe(program, "table", scratch));

    std::string otherIni = folder + "\\install\\lang2.ini";
    ASSERT_TRUE(testsupport::WriteBytes(otherIni, "[lang]\r\ndefault=x\r\n"));
    ASSERT_TRUE(MoveFileExA(otherIni.c_str(), iniPath.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(iniPath + "\n0", RunProbe(program, "table", scratch)) << "default=x reads 0";
}

} // namespace
