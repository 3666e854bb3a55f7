// Archives of one product folder made by the usual tools, each handed to the packer as a
// ready ZIP and installed through the wizard: the installed tree is the folder, names and
// bytes alike.
#include "E2eFixture.h"

#include <algorithm>

namespace e2e {
namespace {

TEST_F(E2eTest, ArchivesOfCommonToolsInstallAsTheirFolder)
{
    const std::string interop = WinPath(ORVANTA_INTEROP_DIR);
    const std::string folder = interop + "\\product";
    const std::vector<std::string> tree = InstallReport::ListTree(folder);
    // 说明.txt, 文档\ and 文档\内容.txt in code page 936, and the other kinds of names.
    for (const char* name : {"\xCB\xB5\xC3\xF7.txt", "\xCE\xC4\xB5\xB5\\", "\xCE\xC4\xB5\xB5\\\xC4\xDA\xC8\xDD.txt",
                             "nested\\empty.dat", "nested\\with space.txt", "nested\\deeper\\deepest\\leaf.txt"})
        ASSERT_NE(std::find(tree.begin(), tree.end(), name), tree.end()) << name;
    // The product brings no uninstaller of its own: the packer adds the generic one.
    std::vector<std::string> installed = tree;
    installed.push_back("Uninstall.exe");
    std::sort(installed.begin(), installed.end());
    for (const char* tool : {"infozip", "infozip-fd", "7zip", "bsdtar", "python-streamed", "python-zip64"}) {
        SCOPED_TRACE(tool);
        ASSERT_NO_FATAL_FAILURE(Install(Pack(tool, interop + "\\" + tool + ".zip"), Choices()));
        EXPECT_EQ(installed, InstallReport::ListTree(kDefaultDirectory));
        for (const std::string& entry : tree) {
            if (entry.back() != '\\') {
                EXPECT_TRUE(ReadBytes(folder + "\\" + entry) == ReadBytes(std::string(kDefaultDirectory) + "\\" + entry))
                    << entry;
            }
        }
        CleanProfile();
    }
}

} // namespace
} // namespace e2e
