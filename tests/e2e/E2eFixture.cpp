#include "E2eFixture.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "InstallReport.h"
#include "tools/SetupBuilder.h"

namespace e2e {

namespace {

const char kRecordKey[] = "Software\\Orvanta";

void RemoveAll(const std::string& path)
{
    if (path.empty())
        return;
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
}

bool Earlier(const std::string& a, const std::string& b)
{
    WIN32_FILE_ATTRIBUTE_DATA first, second;
    if (!::GetFileAttributesExA(a.c_str(), GetFileExInfoStandard, &first)
        || !::GetFileAttributesExA(b.c_str(), GetFileExInfoStandard, &second))
        return false;
    return ::CompareFileTime(&first.ftLastWriteTime, &second.ftLastWriteTime) <= 0;
}

} // namespace

std::string WinPath(const char* linuxPath)
{
    std::string path = "Z:" + std::string(linuxPath);
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string DemoProduct() { return WinPath(ORVANTA_DEMO_DIR "/product"); }
std::string DemoLang() { return WinPath(ORVANTA_DEMO_DIR "/lang.ini"); }
std::string DemoBanner() { return WinPath(ORVANTA_DEMO_DIR "/top_log.bmp"); }
std::string SetupStub() { return WinPath(ORVANTA_SETUP_EXE); }

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

bool Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool SamePath(const std::string& a, const std::string& b)
{
    return ::lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

void ExpectSameTree(const std::string& expected, const std::string& actual)
{
    std::vector<std::string> want = InstallReport::ListTree(expected);
    ASSERT_FALSE(want.empty()) << expected;
    EXPECT_EQ(want, InstallReport::ListTree(actual)) << actual;
    for (const std::string& entry : want) {
        if (entry.back() == '\\')
            continue;
        EXPECT_TRUE(ReadBytes(expected + "\\" + entry) == ReadBytes(actual + "\\" + entry))
            << entry << " differs from the product's";
    }
}

std::string E2eTest::GroupFolder(const std::string& group)
{
    return InstallReport::ProgramsFolder() + "\\" + group;
}

std::string E2eTest::DesktopLink()
{
    return InstallReport::DesktopFolder() + "\\" + kLinkName + ".lnk";
}

std::string E2eTest::WorkInstallFolder()
{
    return InstallReport::WorkFolder() + "\\install";
}

void E2eTest::CleanProfile(const std::vector<std::string>& groups, const std::vector<std::string>& directories)
{
    ::RegDeleteKeyA(HKEY_CURRENT_USER, kRecordKey);
    RemoveAll(WorkInstallFolder());
    for (const std::string& group : groups)
        if (!group.empty())
            RemoveAll(GroupFolder(group));
    ::DeleteFileA(DesktopLink().c_str());
    for (const std::string& directory : directories)
        RemoveAll(directory);
}

void E2eTest::SetUp()
{
    Touches(kDefaultGroup);
    TouchesDirectory(kDefaultDirectory);
    CleanProfile(groups_, directories_);
    ASSERT_FALSE(InstallReport::RecordExists());
    ASSERT_FALSE(Exists(GroupFolder(kDefaultGroup)));
    ASSERT_FALSE(Exists(kDefaultDirectory));
}

void E2eTest::TearDown()
{
    CleanProfile(groups_, directories_);
}

std::string E2eTest::CopyDemoProduct(const std::string& name)
{
    std::string copy = scratch_.file(name);
    std::error_code ec;
    std::filesystem::copy(DemoProduct(), copy, std::filesystem::copy_options::recursive, ec);
    EXPECT_FALSE(ec) << ec.message();
    return copy;
}

std::string E2eTest::Pack(const std::string& name, const std::string& product, const std::string& lang)
{
    SetupInputs inputs;
    inputs.stub = SetupStub();
    inputs.product = product;
    inputs.lang = lang;
    inputs.banner = DemoBanner();
    inputs.out = scratch_.file(name + ".exe");
    std::string error;
    EXPECT_TRUE(SetupBuilder::BuildSetup(inputs, error)) << error;
    return inputs.out;
}

void E2eTest::WalkToConfirm(SetupDriver& d, const Choices& choices)
{
    ASSERT_TRUE(d.WaitForFrame(kStepMs)) << "no wizard";
    ASSERT_TRUE(d.WaitForPage(0, kStepMs));
    EXPECT_FALSE(d.IsVisible(1002)) << "no Back on the language page";
    if (choices.language > 0) {
        ASSERT_TRUE(d.SelectListIndex(1006, choices.language));
    }
    ASSERT_TRUE(d.Press(1001));
    ASSERT_TRUE(d.WaitForPage(1, kStepMs));
    ASSERT_TRUE(d.Press(1001));
    ASSERT_TRUE(d.WaitForPage(2, kStepMs));
    ASSERT_TRUE(WaitUntil(kStepMs, [&] { return !d.IsEnabled(1001); })) << "Next waits for the licence";
    ASSERT_TRUE(d.Press(1010));
    ASSERT_TRUE(WaitUntil(kStepMs, [&] { return d.IsEnabled(1001); })) << "ticking enables Next";
    ASSERT_TRUE(d.Press(1001));
    ASSERT_TRUE(d.WaitForPage(3, kStepMs));
    if (!choices.directory.empty()) {
        ASSERT_TRUE(d.SetText(1015, choices.directory));
    }
    ASSERT_TRUE(d.Press(1001));
    if (choices.existingDirectory) {
        HWND box = d.WaitForMessageBox(kStepMs);
        ASSERT_TRUE(box) << "the directory question";
        ASSERT_TRUE(SetupDriver::Answer(box, IDYES));
    }
    ASSERT_TRUE(d.WaitForPage(4, kStepMs));
    if (!choices.group.empty()) {
        ASSERT_TRUE(d.SetText(1019, choices.group));
    }
    ASSERT_TRUE(d.Press(1001));
    ASSERT_TRUE(d.WaitForPage(5, kStepMs));
}

void E2eTest::InstallFromConfirm(SetupDriver& d)
{
    ASSERT_TRUE(d.Press(1001));
    ASSERT_TRUE(WaitUntil(kInstallMs, [&] { return d.CurrentPage() == 7 || d.CurrentPage() == 8; }));
    ASSERT_EQ(7, d.CurrentPage()) << "the installation ended on the cancel page";
}

void E2eTest::LeaveFinishPage(SetupDriver& d, bool launch)
{
    ASSERT_EQ(7, d.CurrentPage());
    ASSERT_TRUE(WaitUntil(kStepMs, [&] { return d.IsChecked(1016); })) << "the launch box starts ticked";
    if (!launch) {
        ASSERT_TRUE(d.Press(1016));
        ASSERT_TRUE(WaitUntil(kStepMs, [&] { return !d.IsChecked(1016); }));
    }
    ASSERT_TRUE(d.Press(1003));
    DWORD code = 0;
    ASSERT_TRUE(d.WaitForExit(kStepMs, &code)) << "the setup did not end";
}

void E2eTest::InstallDemo(const std::string& setup, const Choices& choices)
{
    SetupDriver d;
    ASSERT_TRUE(d.Start(setup));
    ASSERT_NO_FATAL_FAILURE(WalkToConfirm(d, choices));
    ASSERT_NO_FATAL_FAILURE(InstallFromConfirm(d));
    ASSERT_NO_FATAL_FAILURE(LeaveFinishPage(d, false));
}

void E2eTest::ExpectInstalled(const std::string& directory, const std::string& group, const std::string& setup,
                              const std::string& product)
{
    ExpectSameTree(product, directory);

    // The demo's lang.ini asks for Readme and Licence before the application and the
    // uninstaller; every link carries Ctrl+Shift+R, only the application's an icon.
    struct Link {
        std::string path;
        std::string target;
        bool icon;
    };
    std::string folder = GroupFolder(group);
    std::vector<Link> links = {
        {folder + "\\Readme.lnk", directory + "\\readme.txt", false},
        {folder + "\\Licence.lnk", directory + "\\docs\\licence.txt", false},
        {folder + "\\" + kLinkName + ".lnk", directory + "\\terminal.exe", true},
        {folder + "\\Uninstall.lnk", directory + "\\Uninstall.exe", false},
        {DesktopLink(), directory + "\\terminal.exe", true},
    };
    std::vector<std::string> groupEntries = {"Licence.lnk", std::string(kLinkName) + ".lnk", "Readme.lnk",
                                             "Uninstall.lnk"};
    EXPECT_EQ(groupEntries, InstallReport::ListTree(folder));
    for (size_t i = 0; i < links.size(); ++i) {
        ShortcutInfo info = InstallReport::ReadShortcut(links[i].path);
        ASSERT_TRUE(info.readable) << links[i].path;
        EXPECT_TRUE(SamePath(links[i].target, info.target)) << links[i].path << " -> " << info.target;
        EXPECT_EQ(0x0352, info.hotKey) << links[i].path;
        if (links[i].icon) {
            EXPECT_TRUE(SamePath(directory + "\\terminal.ico", info.iconPath)) << info.iconPath;
            EXPECT_EQ(0, info.iconIndex);
        } else {
            EXPECT_EQ("", info.iconPath) << links[i].path;
        }
        if (i > 0) {
            EXPECT_TRUE(Earlier(links[i - 1].path, links[i].path)) << links[i].path << " made before " << links[i - 1].path;
        }
    }

    EXPECT_EQ(directory, InstallReport::RecordValue("InstallPath"));
    EXPECT_EQ(group, InstallReport::RecordValue("ProgramGroup"));
    EXPECT_EQ(kLinkName, InstallReport::RecordValue("DesktopName"));
    EXPECT_EQ("Orvanta 4.00", InstallReport::RecordValue("SetupName"));
    EXPECT_TRUE(SamePath(setup, InstallReport::RecordValue("Install"))) << InstallReport::RecordValue("Install");
    EXPECT_EQ("0", InstallReport::RecordValue("Repair")) << "a finished run leaves Repair at 0";
    EXPECT_FALSE(Exists(WorkInstallFolder())) << "the working folder is cleaned at exit";
}

void E2eTest::ExpectNothingInstalled(const std::string& directory, const std::string& group)
{
    EXPECT_FALSE(InstallReport::RecordExists()) << InstallReport::Describe();
    if (!directory.empty()) {
        EXPECT_FALSE(Exists(directory)) << directory;
    }
    if (!group.empty()) {
        EXPECT_FALSE(Exists(GroupFolder(group))) << group;
    }
    EXPECT_FALSE(Exists(DesktopLink()));
    EXPECT_FALSE(Exists(WorkInstallFolder())) << "the working folder is cleaned at exit";
}

} // namespace e2e
