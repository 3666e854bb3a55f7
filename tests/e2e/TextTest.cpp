// The wizard's and the uninstaller's texts read back from their windows: the built-in
// Chinese and a lang.ini's translations show as they were written, whatever the code page
// of the machine (CTest runs these under code pages 936, 1252 and 932), and so do
// languages that no code page of the machine could hold.
#include "TextWalk.h"

namespace e2e {
namespace {

const std::map<std::string, std::string> kBuiltinChinese = {
    {"10001", "可以选择的语言："},
    {"10002", "欢迎您使用 Orvanta 4.00 安装程序，此安装程序将会安装 Orvanta 4.00 在您的计算机上。"},
    {"10003", "建议您在安装前先关闭其他正在执行应用软件,在您安装的过程中，可以按放弃键来终止安装，请按下一步来继续安装"},
    {"10004", "警告：这个程序受著作权法及国际公约之保护"},
    {"10005", "未经授权而散布或复制程序的全部或部分，将导致严厉的民事及刑事处分，且将被依法提起最大范围的追述"},
    {"10006", "请详读本授权申明。您是否接受所有的授权合约?"},
    {"10007", "是，我接受所有的授权合约"},
    {"10008", "选择你要安装Orvanta 4.00的目录，如果要安装在其他目录，请按浏览来选择你要安装的目录"},
    {"10009", "安装的目录"},
    {"10011", "您所指定的目录已经存在.可能您有安装过上一个版本."},
    {"10012", "您确定要将Orvanta 4.00安装在此目录吗"},
    {"10013", "选择程序群组"},
    {"10014", "如果您开始进行安装Orvanta 4.00."},
    {"10015", "请按下一步，或者按上一步回到安装信息"},
    {"10016", "Orvanta 4.00 安装中，请稍后..."},
    {"10017", "如果您要放弃安装，请按放弃键"},
    {"10018", "Orvanta 4.00已经安装完成."},
    {"10019", "请按确定键来离开安装程序"},
    {"10020", "Launch Orvanta"},
    {"10021", "Orvanta 4.00 尚未安装完成."},
    {"10022", "您确定要放弃安装吗？"},
    {"10023", "Orvanta 4.00没有正确的安装成功."},
    {"10024", "拷贝："},
    {"10025", "全部的档案"},
    {"20001", "上一步"},
    {"20002", "下一步"},
    {"20004", "放弃"},
    {"20005", "浏览"},
    {"20008", "OK"},
};

// The demo's lang.ini as the build has it in UTF-8, and the Korean and Arabic one.
const std::string kDemoIni = ReadBytes(WinPath(ORVANTA_DEMO_SOURCE_DIR "/lang.ini.in"));
const std::string kForeignIni = WinPath(ORVANTA_E2E_SOURCE_DIR "/korean-arabic.ini");

} // namespace

// The demo setup in Chinese and in English, every page, both questions of the wizard, the
// cancel page, the finish page and the uninstaller's question and report (in the default
// language, Chinese).
TEST_F(TextWalkTest, TheDemoShowsItsTextsInBothLanguagesOnEveryPage)
{
    SetupTexts expected;
    expected.title = kTitle;
    expected.publisher = "Brenholt";
    expected.agreement = Agreement(IniSection(kDemoIni, "install").at("states"));
    expected.directory = kDefaultDirectory;
    expected.group = kTitle;
    expected.languageNames = {"简体中文", "English"};
    expected.languages = {Compose(kBuiltinChinese), Compose(IniSection(kDemoIni, "lang2"))};
    // The demo declares Chinese (2052) and English (1033): a user whose language is
    // English is offered English first, any other user the default, Chinese.
    expected.offered = PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_ENGLISH ? 1 : 0;
    expected.uninstallQuestion = "您确定要完全移除 Orvanta 4.00 及其所有组件吗？";
    expected.uninstalled = "Orvanta 4.00 已经从您的计算机中移除.";
    const std::string lang = WinPath(ORVANTA_DEMO_DIR "/lang.ini");
    const std::string slow = PackSlow("slow", lang), setup = Pack("setup");
    ASSERT_FALSE(HasFailure()) << "packed";
    for (int language : {0, 1}) {
        SCOPED_TRACE(expected.languageNames[language]);
        ASSERT_NO_FATAL_FAILURE(WalkToCancelPage(slow, expected, language));
        ASSERT_NO_FATAL_FAILURE(InstallAndRemove(setup, expected, language));
    }
}

// A lang.ini given to the packer in UTF-8 with Korean and Arabic, which no code page of a
// Chinese, Western or Japanese Windows holds: every page shows them as written, and so
// does the uninstaller in the default language, Korean.
TEST_F(TextWalkTest, KoreanAndArabicFromAUtf8LangIniShowOnEveryPage)
{
    const std::string lang = kForeignIni, ini = ReadBytes(lang);
    const auto install = IniSection(ini, "install"), korean = IniSection(ini, "lang1");
    SetupTexts expected;
    expected.title = kTitle;
    expected.publisher = install.at("linkfrom");
    expected.agreement = Agreement(install.at("states"));
    expected.directory = kDefaultDirectory;
    expected.group = kTitle;
    expected.languageNames = {"한국어", "العربية"};
    expected.languages = {Compose(korean), Compose(IniSection(ini, "lang2"))};
    expected.uninstallQuestion = korean.at("30001");
    expected.uninstalled = korean.at("30002");
    const std::string slow = PackSlow("slow", lang, true), setup = PackWith("setup", kDemoProduct, lang, true);
    ASSERT_FALSE(HasFailure()) << "packed";
    for (int language : {0, 1}) {
        SCOPED_TRACE(expected.languageNames[language]);
        ASSERT_NO_FATAL_FAILURE(WalkToCancelPage(slow, expected, language));
        ASSERT_NO_FATAL_FAILURE(InstallAndRemove(setup, expected, language));
    }
}

} // namespace e2e
