#include "TextWalk.h"

#include <sstream>

#include "tools/SetupBuilder.h"

namespace e2e {

std::map<std::string, std::string> IniSection(const std::string& ini, const std::string& section)
{
    std::map<std::string, std::string> values;
    std::istringstream lines(ini);
    bool inside = false;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        size_t equals = line.find('=');
        if (!line.empty() && line[0] == '[')
            inside = line == "[" + section + "]";
        else if (inside && equals != std::string::npos && line[0] != ';') {
            std::string value = line.substr(equals + 1);
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
                value = value.substr(1, value.size() - 2);
            values[line.substr(0, equals)] = value;
        }
    }
    return values;
}

PageTexts Compose(const std::map<std::string, std::string>& t)
{
    auto text = [&](int id) { return t.at(std::to_string(id)); };
    PageTexts p;
    p.languagesLabel = text(10001);
    p.welcome = text(10002) + "\r\n\r\n" + text(10003) + "\r\n\r\n\r\n" + text(10004) + "\r\n\r\n" + text(10005);
    p.licencePrompt = text(10006);
    p.licenceAccept = text(10007);
    p.directoryPrompt = text(10008);
    p.directoryGroup = text(10009);
    p.browse = text(20005);
    p.directoryExists = text(10011) + "\r\n\r\n" + text(10012);
    p.groupPrompt = text(10013);
    p.confirm = text(10014) + "\r\n\r\n" + text(10015);
    p.progress = text(10016) + "\r\n\r\n" + text(10017);
    p.copying = text(10024);
    p.allFiles = text(10025);
    p.finish = text(10018) + "\r\n" + text(10019);
    p.launch = text(10020);
    p.closeQuestion = text(10021) + "\r\n" + text(10022);
    p.cancelled = text(10023);
    p.back = "< " + text(20001);
    p.next = text(20002) + " >";
    p.cancel = text(20004);
    p.close = text(20008);
    return p;
}

std::string Agreement(const std::string& states)
{
    std::string shown(44, ' ');
    for (char c : states)
        shown += c == '#' ? std::string("\r\n") : std::string(1, c);
    return shown;
}

void TextWalkTest::ExpectShown(const std::function<std::string()>& shown, const std::string& expected,
                               const std::string& what)
{
    WaitUntil(5000, [&] { return shown() == expected; });
    EXPECT_EQ(expected, shown()) << what;
}

void TextWalkTest::ExpectText(SetupDriver& d, int id, const std::string& expected, const char* what)
{
    ExpectShown([&] { return d.Text(id); }, expected,
                std::string(what) + " (control " + std::to_string(id) + ", page " + std::to_string(d.CurrentPage()) + ")");
}

void TextWalkTest::ExpectButtons(SetupDriver& d, const PageTexts& texts, bool closing)
{
    ExpectText(d, 1002, texts.back, "Back");
    ExpectText(d, 1001, texts.next, "Next");
    ExpectText(d, 1003, closing ? texts.close : texts.cancel, "Cancel");
}

std::string TextWalkTest::PackWith(const std::string& name, const std::string& product, const std::string& lang,
                                   bool langUtf8)
{
    SetupInputs inputs{kSetupStub, product, lang, WinPath(ORVANTA_DEMO_DIR "/top_log.bmp"), scratch_.file(name + ".exe")};
    inputs.langUtf8 = langUtf8;
    std::string error;
    EXPECT_TRUE(SetupBuilder::BuildSetup(inputs, error)) << error;
    return inputs.out;
}

std::string TextWalkTest::PackSlow(const std::string& name, const std::string& lang, bool langUtf8)
{
    // Zeros pack to almost nothing, while writing them takes long enough to read the
    // progress page and abandon the run.
    const std::string product = scratch_.file("slow-product");
    std::filesystem::copy(FsPath(kDemoProduct), FsPath(product), std::filesystem::copy_options::recursive);
    WriteBytes(product + "\\zzbig.bin", "");
    std::filesystem::resize_file(FsPath(product + "\\zzbig.bin"), 384 << 20);
    return PackWith(name, product, lang, langUtf8);
}

void TextWalkTest::WalkToCancelPage(const std::string& setup, const SetupTexts& expected, int language)
{
    const PageTexts& before = expected.languages.at(expected.offered);
    const PageTexts& t = expected.languages.at(language);
    SetupDriver d;
    auto go = [&](int page) { return d.Press(1001) && d.WaitForPage(page, kStepMs); };
    ASSERT_TRUE(d.Start(setup) && d.WaitForFrame(kStepMs) && d.WaitForPage(0, kStepMs)) << "no wizard";
    ExpectShown([&] { return SetupDriver::WindowText(d.Frame()); }, expected.title, "caption");
    EXPECT_EQ(expected.languageNames, d.ListItems(1006));
    ExpectText(d, 1012, before.languagesLabel, "languages, before a choice");
    ExpectText(d, 1018, expected.publisher, "publisher link");
    ExpectButtons(d, before);
    ASSERT_TRUE(d.SelectListIndex(1006, language));
    d.Repaint();
    ExpectText(d, 1012, t.languagesLabel, "languages");
    ExpectButtons(d, t);

    ASSERT_TRUE(go(1));
    ExpectText(d, 1008, t.welcome, "welcome");
    ExpectButtons(d, t);
    ASSERT_TRUE(go(2));
    ExpectText(d, 1011, t.licencePrompt, "licence prompt");
    ExpectText(d, 1010, t.licenceAccept, "licence box");
    ExpectText(d, 1009, expected.agreement, "agreement");
    ASSERT_TRUE(d.Press(1010) && WaitUntil(kStepMs, [&] { return d.IsEnabled(1001); })) << "the licence accepted";

    ASSERT_TRUE(go(3));
    ExpectText(d, 1013, t.directoryPrompt, "directory prompt");
    ExpectText(d, 1014, t.directoryGroup, "directory box");
    ExpectText(d, 1016, t.browse, "Browse");
    ExpectText(d, 1015, expected.directory, "proposed directory");
    ASSERT_TRUE(d.SetText(1015, scratch_.str()) && d.Press(1001));
    HWND box = d.WaitForMessageBox(kStepMs);
    ASSERT_TRUE(box) << "no question for an existing directory";
    EXPECT_EQ(expected.title, SetupDriver::WindowText(box));
    EXPECT_EQ(t.directoryExists, SetupDriver::MessageBoxText(box));
    ASSERT_TRUE(SetupDriver::Answer(box, IDNO));
    ASSERT_TRUE(WaitUntil(kStepMs, [&] { return !SetupDriver::FindMessageBox(d.ProcessId()); }));
    ASSERT_EQ(3, d.CurrentPage()) << "No keeps the directory page";
    ASSERT_TRUE(d.SetText(1015, scratch_.file("new")));

    ASSERT_TRUE(go(4));
    ExpectText(d, 1017, t.groupPrompt, "group prompt");
    ExpectText(d, 1019, expected.group, "proposed group");
    ASSERT_TRUE(go(5));
    ExpectText(d, 1020, t.confirm, "confirmation");
    ExpectButtons(d, t);

    ASSERT_TRUE(go(6));
    ExpectText(d, 1013, t.progress, "progress");
    ExpectText(d, 1015, t.allFiles, "all files");
    EXPECT_EQ(t.copying, d.Text(1012).substr(0, t.copying.size())) << "the file line";
    ASSERT_EQ(6, d.CurrentPage()) << "the installation ended before it could be abandoned";
    ASSERT_TRUE(d.Press(1003));
    box = d.WaitForMessageBox(kStepMs);
    ASSERT_TRUE(box && d.CurrentPage() == 6) << "the abandon question while the installation runs";
    EXPECT_EQ(expected.title, SetupDriver::WindowText(box));
    EXPECT_EQ(t.closeQuestion, SetupDriver::MessageBoxText(box));
    ASSERT_TRUE(SetupDriver::Answer(box, IDYES));
    ASSERT_NO_FATAL_FAILURE(EndsOn(d, 8));
    ExpectText(d, 1022, t.cancelled, "cancelled");
    ExpectText(d, 1003, t.close, "OK");
    ASSERT_TRUE(d.Press(1003));
    ASSERT_TRUE(d.WaitForExit(kInstallMs)) << "the setup did not end";
}

void TextWalkTest::InstallAndRemove(const std::string& setup, const SetupTexts& expected, int language)
{
    const PageTexts& t = expected.languages.at(language);
    SetupDriver d;
    Choices choices;
    choices.onFirstPage = [language](SetupDriver& started) { ASSERT_TRUE(started.SelectListIndex(1006, language)); };
    ASSERT_NO_FATAL_FAILURE(OpenAndConfirm(d, setup, choices));
    ASSERT_NO_FATAL_FAILURE(EndsOn(d, 7));
    ExpectText(d, 1017, t.finish, "finish");
    ExpectText(d, 1016, t.launch, "launch box");
    ExpectText(d, 1003, t.close, "OK");
    ASSERT_TRUE(WaitUntil(kStepMs, [&] { return d.IsChecked(1016); })) << "the launch box starts ticked";
    ASSERT_TRUE(d.Press(1016) && WaitUntil(kStepMs, [&] { return !d.IsChecked(1016); }));
    ASSERT_TRUE(d.Press(1003));
    ASSERT_TRUE(d.WaitForExit(kStepMs)) << "the setup did not end";

    SetupDriver uninstaller;
    ASSERT_TRUE(uninstaller.Start(expected.directory + "\\Uninstall.exe"));
    HWND question = uninstaller.WaitForMessageBox(kStepMs);
    ASSERT_TRUE(question) << "no question";
    EXPECT_EQ(expected.title, SetupDriver::WindowText(question));
    EXPECT_EQ(expected.uninstallQuestion + "\r\n\r\n" + expected.directory, SetupDriver::MessageBoxText(question));
    ASSERT_TRUE(SetupDriver::Answer(question, IDYES));
    HWND report = nullptr;
    ASSERT_TRUE(WaitUntil(kInstallMs, [&] { return (report = SetupDriver::FindMessageBox(0)) && report != question; }));
    EXPECT_EQ(expected.title, SetupDriver::WindowText(report));
    EXPECT_EQ(expected.uninstalled, SetupDriver::MessageBoxText(report));
    ASSERT_TRUE(SetupDriver::Answer(report, IDOK));
    DWORD code = 99;
    EXPECT_TRUE(uninstaller.WaitForExit(kStepMs, &code) && code == 0) << code;
    EXPECT_TRUE(WaitUntil(kInstallMs, [&] { return Processes("Uninstall.exe").empty(); }));
    EXPECT_FALSE(Exists(expected.directory) || InstallReport::RecordExists()) << InstallReport::Describe();
}

} // namespace e2e
