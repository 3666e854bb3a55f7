// The wizard's and the uninstaller's texts read back from their windows: the built-in
// Chinese and a lang.ini's translations show as they were written, whatever the code page
// of the machine (CTest runs these under code pages 936, 1252 and 932), and so do
// languages that no code page of the machine could hold.
#include "TextWalk.h"

namespace e2e {
namespace {

const std::map<int, std::string> kBuiltinChinese = {
    {10001, "可以选择的语言："},
    {10002, "欢迎您使用 Orvanta 4.00 安装程序，此安装程序将会安装 Orvanta 4.00 在您的计算机上。"},
    {10003, "建议您在安装前先关闭其他正在执行应用软件,在您安装的过程中，可以按放弃键来终止安装，请按下一步来继续安装"},
    {10004, "警告：这个程序受著作权法及国际公约之保护"},
    {10005, "未经授权而散布或复制程序的全部或部分，将导致严厉的民事及刑事处分，且将被依法提起最大范围的追述"},
    {10006, "请详读本授权申明。您是否接受所有的授权合约?"},
    {10007, "是，我接受所有的授权合约"},
    {10008, "选择你要安装Orvanta 4.00的目录，如果要安装在其他目录，请按浏览来选择你要安装的目录"},
    {10009, "安装的目录"},
    {10011, "您所指定的目录已经存在.可能您有安装过上一个版本."},
    {10012, "您确定要将Orvanta 4.00安装在此目录吗"},
    {10013, "选择程序群组"},
    {10014, "如果您开始进行安装Orvanta 4.00."},
    {10015, "请按下一步，或者按上一步回到安装信息"},
    {10016, "Orvanta 4.00 安装中，请稍后..."},
    {10017, "如果您要放弃安装，请按放弃键"},
    {10018, "Orvanta 4.00已经安装完成."},
    {10019, "请按确定键来离开安装程序"},
    {10020, "Launch Orvanta"},
    {10021, "Orvanta 4.00 尚未安装完成."},
    {10022, "您确定要放弃安装吗？"},
    {10023, "Orvanta 4.00没有正确的安装成功."},
    {10024, "拷贝："},
    {10025, "全部的档案"},
    {20001, "上一步"},
    {20002, "下一步"},
    {20004, "放弃"},
    {20005, "浏览"},
    {20008, "OK"},
};

// demo/lang.ini.in's [lang2].
const std::map<int, std::string> kDemoEnglish = {
    {10001, "Languages you can choose:"},
    {10002, "Welcome to the Orvanta 4.00 setup program. It will install Orvanta 4.00 on your computer."},
    {10003, "Please close all other running applications before you go on. You can press Cancel at any time to stop "
            "the installation. Press Next to continue."},
    {10004, "Warning: this program is protected by copyright law and international treaties."},
    {10005, "Unauthorised distribution or copying of this program, or of any part of it, may result in severe civil "
            "and criminal penalties, and will be prosecuted to the full extent of the law."},
    {10006, "Please read the licence agreement. Do you accept all of its terms?"},
    {10007, "Yes, I accept all terms of the licence agreement"},
    {10008, "Choose the folder to install Orvanta 4.00 in. To install it in another folder, press Browse and choose "
            "that folder."},
    {10009, "Install folder"},
    {10011, "The folder you chose already exists. An earlier version may be installed there."},
    {10012, "Do you really want to install Orvanta 4.00 in this folder?"},
    {10013, "Choose the program group:"},
    {10014, "Setup is ready to install Orvanta 4.00."},
    {10015, "Press Next to start, or Back to review the settings."},
    {10016, "Installing Orvanta 4.00, please wait..."},
    {10017, "To abandon the installation, press Cancel."},
    {10018, "Orvanta 4.00 has been installed."},
    {10019, "Press OK to leave setup."},
    {10020, "Launch Orvanta"},
    {10021, "Orvanta 4.00 is not completely installed."},
    {10022, "Do you really want to abandon the installation?"},
    {10023, "Orvanta 4.00 was not installed successfully."},
    {10024, "Copying: "},
    {10025, "All files"},
    {20001, "Back"},
    {20002, "Next"},
    {20004, "Cancel"},
    {20005, "Browse"},
    {20008, "OK"},
};

const std::map<int, std::string> kKorean = {
    {10001, "선택할 수 있는 언어:"},
    {10002, "Orvanta 4.00 설치 프로그램에 오신 것을 환영합니다. 이 프로그램은 컴퓨터에 Orvanta 4.00을 설치합니다."},
    {10003, "계속하기 전에 실행 중인 다른 프로그램을 모두 닫으십시오. 계속하려면 다음을 누르십시오."},
    {10004, "경고: 이 프로그램은 저작권법 및 국제 조약의 보호를 받습니다."},
    {10005, "이 프로그램의 전부 또는 일부를 무단으로 배포하거나 복제하면 처벌을 받을 수 있습니다."},
    {10006, "사용권 계약을 읽어 주십시오. 모든 조건에 동의하십니까?"},
    {10007, "예, 사용권 계약의 모든 조건에 동의합니다"},
    {10008, "Orvanta 4.00을 설치할 폴더를 선택하십시오. 다른 폴더는 찾아보기로 고르십시오."},
    {10009, "설치 폴더"},
    {10010, "설치 폴더를 선택하십시오"},
    {10011, "선택한 폴더가 이미 있습니다. 이전 버전이 설치되어 있을 수 있습니다."},
    {10012, "이 폴더에 Orvanta 4.00을 설치하시겠습니까?"},
    {10013, "프로그램 그룹을 선택하십시오:"},
    {10014, "Orvanta 4.00을 설치할 준비가 되었습니다."},
    {10015, "시작하려면 다음을, 설정을 검토하려면 뒤로를 누르십시오."},
    {10016, "Orvanta 4.00을 설치하는 중입니다. 잠시 기다려 주십시오..."},
    {10017, "설치를 중단하려면 취소를 누르십시오."},
    {10018, "Orvanta 4.00이 설치되었습니다."},
    {10019, "설치 프로그램을 마치려면 확인을 누르십시오."},
    {10020, "Orvanta 실행"},
    {10021, "Orvanta 4.00 설치가 완료되지 않았습니다."},
    {10022, "설치를 정말 중단하시겠습니까?"},
    {10023, "Orvanta 4.00이 제대로 설치되지 않았습니다."},
    {10024, "복사 중: "},
    {10025, "모든 파일"},
    {20001, "뒤로"},
    {20002, "다음"},
    {20003, "확인"},
    {20004, "취소"},
    {20005, "찾아보기"},
    {20006, "예"},
    {20007, "아니요"},
    {20008, "확인"},
    {30001, "Orvanta 4.00과 모든 구성 요소를 제거하시겠습니까?"},
    {30002, "Orvanta 4.00이 컴퓨터에서 제거되었습니다."},
};

const std::map<int, std::string> kArabic = {
    {10001, "اللغات المتاحة:"},
    {10002, "مرحبا بك في برنامج إعداد Orvanta 4.00. سيقوم بتثبيت Orvanta 4.00 على حاسوبك."},
    {10003, "يرجى إغلاق جميع البرامج الأخرى قبل المتابعة. اضغط التالي للمتابعة."},
    {10004, "تحذير: هذا البرنامج محمي بموجب قانون حقوق النشر والمعاهدات الدولية."},
    {10005, "قد يؤدي التوزيع أو النسخ غير المصرح به إلى عقوبات مدنية وجنائية."},
    {10006, "يرجى قراءة اتفاقية الترخيص. هل تقبل جميع شروطها؟"},
    {10007, "نعم، أقبل جميع شروط اتفاقية الترخيص"},
    {10008, "اختر مجلد تثبيت Orvanta 4.00، أو اضغط استعراض لاختيار مجلد آخر."},
    {10009, "مجلد التثبيت"},
    {10010, "يرجى اختيار مجلد التثبيت"},
    {10011, "المجلد الذي اخترته موجود بالفعل."},
    {10012, "هل تريد حقا تثبيت Orvanta 4.00 في هذا المجلد؟"},
    {10013, "اختر مجموعة البرامج:"},
    {10014, "الإعداد جاهز لتثبيت Orvanta 4.00."},
    {10015, "اضغط التالي للبدء أو السابق لمراجعة الإعدادات."},
    {10016, "جار تثبيت Orvanta 4.00، يرجى الانتظار..."},
    {10017, "لإلغاء التثبيت اضغط إلغاء."},
    {10018, "تم تثبيت Orvanta 4.00."},
    {10019, "اضغط موافق لإنهاء الإعداد."},
    {10020, "تشغيل Orvanta"},
    {10021, "لم يكتمل تثبيت Orvanta 4.00."},
    {10022, "هل تريد حقا إلغاء التثبيت؟"},
    {10023, "لم يتم تثبيت Orvanta 4.00 بنجاح."},
    {10024, "نسخ: "},
    {10025, "كل الملفات"},
    {20001, "السابق"},
    {20002, "التالي"},
    {20003, "موافق"},
    {20004, "إلغاء"},
    {20005, "استعراض"},
    {20006, "نعم"},
    {20007, "لا"},
    {20008, "موافق"},
};

const char kDemoStates[] =
    "最终用户许可协议 / END-USER LICENCE AGREEMENT##Orvanta 4.00 is a demonstration product of Brenholt.##1. You may "
    "install and use this product on any number of computers.#2. You may copy and give away the setup program "
    "unchanged.#3. The product comes without any warranty. Brenholt is not liable for any damage that its use may "
    "cause.##By ticking the box below you accept these terms.";
const char kForeignStates[] = "사용권 계약 / اتفاقية الترخيص##1. 이 제품은 시연용입니다.#2. هذا المنتج للعرض فقط.";
const char kForeignPublisher[] = "브렌홀트 · برينهولت";

// A language section of lang.ini; the value of 10024 ends in a space, so it is quoted.
std::string Section(int number, const std::map<int, std::string>& texts)
{
    std::string section = "[lang" + std::to_string(number) + "]\r\nfont=1\r\n";
    for (const auto& text : texts)
        section += std::to_string(text.first) + "=" + (text.first == 10024 ? "\"" + text.second + "\"" : text.second) +
                   "\r\n";
    return section;
}

} // namespace

// The demo setup in Chinese and in English, every page, both questions of the wizard, the
// cancel page, the finish page and the uninstaller's question and report (in the default
// language, Chinese).
TEST_F(TextWalkTest, TheDemoShowsItsTextsInBothLanguagesOnEveryPage)
{
    SetupTexts expected;
    expected.title = kTitle;
    expected.publisher = "Brenholt";
    expected.agreement = Agreement(kDemoStates);
    expected.directory = kDefaultDirectory;
    expected.group = kTitle;
    expected.languageNames = {"简体中文", "English"};
    expected.languages = {Compose(kBuiltinChinese), Compose(kDemoEnglish)};
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
    const std::string lang = scratch_.file("lang-utf8.ini");
    WriteBytes(lang, "[lang]\r\ncount=2\r\ndefault=1\r\nlang1=한국어\r\nlang2=العربية\r\n" + Section(1, kKorean) +
                         Section(2, kArabic) +
                         "[install]\r\ntitle=Orvanta 4.00\r\ngroup=Orvanta 4.00\r\nlinkfrom=" + kForeignPublisher +
                         "\r\nlinkto=http://www.example.com/orvanta/\r\ninstallpath=c:\\Program Files\\\r\n"
                         "installname=Orvanta 4.00\r\nstates=" + kForeignStates + "\r\n"
                         "[link]\r\ncount=2\r\nlink1=Readme#readme.txt\r\nlink2=Licence#docs\\licence.txt\r\n");
    SetupTexts expected;
    expected.title = kTitle;
    expected.publisher = kForeignPublisher;
    expected.agreement = Agreement(kForeignStates);
    expected.directory = kDefaultDirectory;
    expected.group = kTitle;
    expected.languageNames = {"한국어", "العربية"};
    expected.languages = {Compose(kKorean), Compose(kArabic)};
    expected.uninstallQuestion = kKorean.at(30001);
    expected.uninstalled = kKorean.at(30002);
    const std::string slow = PackSlow("slow", lang, true), setup = PackWith("setup", kDemoProduct, lang, true);
    ASSERT_FALSE(HasFailure()) << "packed";
    for (int language : {0, 1}) {
        SCOPED_TRACE(expected.languageNames[language]);
        ASSERT_NO_FATAL_FAILURE(WalkToCancelPage(slow, expected, language));
        ASSERT_NO_FATAL_FAILURE(InstallAndRemove(setup, expected, language));
    }
}

} // namespace e2e
