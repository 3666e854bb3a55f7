// The program group page: the proposed group, the existing Start-menu folders in sorted
// order, and a pick copied into the name.
#include "pages/PagesFixture.h"

#include <shlobj.h>

#include <filesystem>
#include <vector>

#include "engine/InstallEngine.h"
#include "resources/resource.h"
#include "wizard/pages/GroupPage.h"

namespace pagetest {
namespace {

std::vector<std::string> ListItems(HWND list)
{
    std::vector<std::string> items;
    int count = static_cast<int>(::SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[MAX_PATH] = {};
        ::SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

// Start-menu folders of the private prefix made for one test and removed after it.
class ProgramGroups {
public:
    explicit ProgramGroups(std::vector<std::string> names) : names_(std::move(names))
    {
        char folder[MAX_PATH] = {};
        ::SHGetSpecialFolderPathA(nullptr, folder, CSIDL_COMMON_PROGRAMS, TRUE);
        root_ = folder;
        for (const std::string& name : names_)
            ::CreateDirectoryA((root_ + "\\" + name).c_str(), nullptr);
    }
    ~ProgramGroups()
    {
        for (const std::string& name : names_)
            ::RemoveDirectoryA((root_ + "\\" + name).c_str());
    }

private:
    std::string root_;
    std::vector<std::string> names_;
};

TEST_F(PagesTest, GroupIsProposedFromTheSettingsAndTheListStartsEmptyWithoutAnEngine)
{
    PageHost host;
    GroupPage* page = host.Add<GroupPage>();
    EXPECT_EQ("Orvanta 4.00", page->GetGroupText());
    EXPECT_TRUE(ListItems(::GetDlgItem(*page, IDC_GROUP_LIST)).empty());
}

TEST_F(PagesTest, ExistingGroupsAreListedSortedAndAPickIsCopiedIntoTheName)
{
    ProgramGroups groups({"zeta pages", "Alpha pages", "mid pages"});
    InstallEngine engine(scratch.file("no-container.exe"));
    UseLangIni("[install]\r\ngroup=My Group\r\n");
    App().engine = &engine;
    struct Unset {
        ~Unset() { App().engine = nullptr; }
    } unset;

    PageHost host;
    GroupPage* page = host.Add<GroupPage>();
    EXPECT_EQ("My Group", page->GetGroupText());
    HWND list = ::GetDlgItem(*page, IDC_GROUP_LIST);
    std::vector<std::string> items = ListItems(list);
    EXPECT_EQ(engine.GetProgramGroups().size(), items.size());
    for (size_t i = 1; i < items.size(); ++i)
        EXPECT_LE(::lstrcmpiA(items[i - 1].c_str(), items[i].c_str()), 0) << items[i - 1] << " before " << items[i];
    EXPECT_EQ(LB_ERR, ::SendMessageA(list, LB_GETCURSEL, 0, 0)) << "nothing is selected at start";

    auto at = [&](const std::string& name) {
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i] == name)
                return static_cast<int>(i);
        return -1;
    };
    ASSERT_GE(at("Alpha pages"), 0);
    ASSERT_LT(at("Alpha pages"), at("mid pages"));
    ASSERT_LT(at("mid pages"), at("zeta pages"));

    ClickListItem(list, at("mid pages"));
    EXPECT_EQ("mid pages", page->GetGroupText());
    ClickListItem(list, at("Alpha pages"));
    EXPECT_EQ("Alpha pages", page->GetGroupText());

    // A name typed by hand is taken as it is.
    ::SetDlgItemTextA(*page, IDC_GROUP_EDIT, "  New Group ");
    EXPECT_EQ("  New Group ", page->GetGroupText());
}

} // namespace
} // namespace pagetest
