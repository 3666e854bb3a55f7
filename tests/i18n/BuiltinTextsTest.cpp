// The built-in texts must be exactly the UTF-8 of the texts below, which are written
// independently as UTF-16 (punctuation included: ASCII where the product uses ASCII,
// full-width where it uses full-width), under any code page of the machine: run under
// code page 1252 too (i18n_tests_cp1252).
#include "framework/WideText.h"
#include "i18n/BuiltinTexts.h"
#include "i18n/LanguageRecord.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

struct Reference {
    int identifier;
    const char16_t* text;
};

const Reference kReferences[] = {
    {10001, u"可以选择的语言："},
    {10002, u"欢迎您使用 Orvanta 4.00 安装程序，此安装程序将会安装 Orvanta 4.00 在您的计算机上。"},
    {10003, u"建议您在安装前先关闭其他正在执行应用软件,在您安装的过程中，可以按放弃键来终止安装，请按下一步来继续安装"},
    {10004, u"警告：这个程序受著作权法及国际公约之保护"},
    {10005, u"未经授权而散布或复制程序的全部或部分，将导致严厉的民事及刑事处分，且将被依法提起最大范围的追述"},
    {10006, u"请详读本授权申明。您是否接受所有的授权合约?"},
    {10007, u"是，我接受所有的授权合约"},
    {10008, u"选择你要安装Orvanta 4.00的目录，如果要安装在其他目录，请按浏览来选择你要安装的目录"},
    {10009, u"安装的目录"},
    {10010, u"请选择安装的目录"},
    {10011, u"您所指定的目录已经存在.可能您有安装过上一个版本."},
    {10012, u"您确定要将Orvanta 4.00安装在此目录吗"},
    {10013, u"选择程序群组"},
    {10014, u"如果您开始进行安装Orvanta 4.00."},
    {10015, u"请按下一步，或者按上一步回到安装信息"},
    {10016, u"Orvanta 4.00 安装中，请稍后..."},
    {10017, u"如果您要放弃安装，请按放弃键"},
    {10018, u"Orvanta 4.00已经安装完成."},
    {10019, u"请按确定键来离开安装程序"},
    {10020, u"Launch Orvanta"},
    {10021, u"Orvanta 4.00 尚未安装完成."},
    {10022, u"您确定要放弃安装吗？"},
    {10023, u"Orvanta 4.00没有正确的安装成功."},
    {10024, u"拷贝："},
    {10025, u"全部的档案"},
    {10026, u"安装程序已损坏或无法完整解开，请重新下载安装程序。"},
    {10027, u"Orvanta 4.00没有安装成功，且放弃的安装未能完全撤销，安装目录中可能仍留有文件。"},
    {10028, u"一次中断的安装曾替换此目录中的文件，现已全部恢复原状。"},
    {10029, u"此目录不能用于安装（驱动器根目录、系统目录或用户的个人目录），请选择其他目录。"},
    {10030, u"无法写入下面的文件：一个正在运行的程序正在使用它。请关闭该程序，然后按“重试”；按“取消”将放弃安装。"},
    {20001, u"上一步"},
    {20002, u"下一步"},
    {20003, u"确定"},
    {20004, u"放弃"},
    {20005, u"浏览"},
    {20006, u"是"},
    {20007, u"否"},
    {20008, u"OK"},
    // The uninstaller's message-box texts: read one at a time, never part of a wizard record.
    {30001, u"您确定要完全移除 Orvanta 4.00 及其所有组件吗？"},
    {30002, u"Orvanta 4.00 已经从您的计算机中移除."},
    {30003, u"部分项目无法移除，请手动删除："},
    {30004, u"卸载程序不能在此目录中执行："},
    {30005, u"安装中断时被替换的文件已先行恢复。"},
};

std::string Utf8(const std::u16string& text)
{
    std::wstring wide(text.begin(), text.end());
    return WideText::ToUtf8(wide);
}

// Byte for byte, so ASCII against full-width punctuation is checked along with the Chinese.
// A record keeps every wizard text apart from the others'; the uninstaller's are no part of it.
// Each text is converted once: asked again, it is the same text in the same place.
TEST(BuiltinTexts, EveryIdentifierHasItsReferenceTextAndItsOwnPlaceInARecord)
{
    if (std::getenv("ORVANTA_CODE_PAGE_1252")) {
        ASSERT_EQ(1252u, GetACP());
    }
    LanguageRecord record;
    for (const Reference& reference : kReferences) {
        const char* text = BuiltinTexts::Get(reference.identifier);
        EXPECT_EQ(Utf8(reference.text), text) << reference.identifier;
        EXPECT_EQ(text, BuiltinTexts::Get(reference.identifier)) << reference.identifier;
        record.SetText(reference.identifier, std::to_string(reference.identifier));
    }
    int inRecord = 0;
    for (const Reference& reference : kReferences) {
        bool wizard = reference.identifier < 30000;
        inRecord += wizard;
        EXPECT_EQ(wizard ? std::to_string(reference.identifier) : "", record.Text(reference.identifier));
    }
    EXPECT_EQ(TextId::Count, inRecord) << "every text has its reference";
    EXPECT_STREQ("", BuiltinTexts::Get(10000));
}

} // namespace
