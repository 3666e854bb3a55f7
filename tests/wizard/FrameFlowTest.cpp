// Page flow and button rules, the licence gate, the directory question, the group list,
// closing and Escape on every page.
#include "WizardFixture.h"
#include "resources/resource.h"

namespace {

using FrameFlowTest = WizardFixture;
constexpr int kLicence = WizardFrame::LicenceIndex;
constexpr int kDirectory = WizardFrame::DirectoryIndex;
constexpr int kGroupPage = WizardFrame::GroupIndex;

// Wine's BM_CLICK clicks hidden and disabled buttons too: the frame must ignore those. The
// group list's sorting is its template's (LBS_SORT, checked with the templates).
TEST_F(FrameFlowTest, WalkKeepsTheButtonRulesTheLicenceGateTheDirectoryQuestionAndAPickedGroup)
{
    const std::string picked = "Orvanta Picked Group";
    ::CreateDirectoryA((ProgramsFolder() + picked).c_str(), nullptr);
    InstallEngine* engine = MakeEngine(LangIni());
    INT_PTR result = RunFrame([&] {
        EXPECT_FALSE(Visible(IDC_BACK));
        Click(IDC_BACK);
        EXPECT_EQ(WizardFrame::LanguageIndex, VisiblePage()) << "a hidden Back does nothing";

        GoTo(kLicence);
        const std::string agreement = std::string(44, ' ') + "Line one\r\nLine two";
        EXPECT_EQ(agreement, Text(IDC_LICENCE_TEXT, kLicence));
        // Enter on the frame, in the licence text and inside the page (as the page's IDOK).
        Click(IDC_NEXT);
        Post(Window(), WM_COMMAND, IDOK);
        Post(Item(IDC_LICENCE_TEXT, kLicence), WM_KEYDOWN, VK_RETURN, 1);
        Post(Page(kLicence), WM_COMMAND, IDOK);
        EXPECT_EQ(kLicence, VisiblePage()) << "neither a click nor Enter passes the gate";
        Click(IDC_LICENCE_ACCEPT, kLicence);
        Post(Page(kLicence), WM_COMMAND, IDOK);
        EXPECT_EQ(kDirectory, VisiblePage()) << "Enter inside the page presses an enabled Next";

        Click(IDC_BACK);
        EXPECT_FALSE(Enabled(IDC_NEXT)) << "back onto the licence page needs a new acceptance";
        ::SetWindowTextA(Item(IDC_LICENCE_TEXT, kLicence), "typed over");
        Repaint(Page(kLicence));
        EXPECT_EQ(agreement, Text(IDC_LICENCE_TEXT, kLicence)) << "a paint puts the agreement back";

        GoTo(kGroupPage);
        EXPECT_EQ(kGroupPage, VisiblePage()) << "a new directory asks nothing";
        Click(IDC_BACK);
        ::SetWindowTextA(Item(IDC_DIRECTORY_EDIT, kDirectory), scratch.str().c_str());
        for (int answer : {IDNO, IDYES}) {
            Click(IDC_NEXT);
            HWND box = WaitForBox();
            ASSERT_TRUE(box);
            EXPECT_EQ(Builtin(10011) + "\r\n\r\n" + Builtin(10012), BoxText(box));
            EXPECT_TRUE(Answer(box, answer));
            EXPECT_EQ(nullptr, WaitForBox(300)) << "one question per press";
        }
        EXPECT_EQ(kGroupPage, VisiblePage());
        EXPECT_EQ(scratch.str(), engine->GetInstallDirectory());

        EXPECT_EQ(kGroup, Text(IDC_GROUP_EDIT, kGroupPage));
        HWND list = Item(IDC_GROUP_LIST, kGroupPage);
        EXPECT_EQ(LRESULT(engine->GetProgramGroups().size()), ::SendMessageA(list, LB_GETCOUNT, 0, 0));
        LRESULT index = ::SendMessageA(list, LB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(picked.c_str()));
        ASSERT_NE(LB_ERR, index);
        ClickListItem(list, int(index));
        EXPECT_EQ(picked, Text(IDC_GROUP_EDIT, kGroupPage));
        Click(IDC_NEXT);
        EXPECT_EQ(picked, engine->GetProgramGroup());
    });
    ::RemoveDirectoryA((ProgramsFolder() + picked).c_str());
    EXPECT_EQ(IDABORT, result);
}

// Every way out asks first on every page up to the confirmation: the Cancel button, the
// close box, Escape on the frame and inside the page, and a real Escape keystroke in the
// licence text, which closes the page the text is on (it once left no page shown).
TEST_F(FrameFlowTest, CloseAndEscapeAskOnEveryPageUpToTheConfirmation)
{
    MakeEngine(LangIni());
    INT_PTR result = RunFrame([&] {
        for (int page = WizardFrame::LanguageIndex; page <= WizardFrame::ConfirmIndex; ++page) {
            GoTo(page);
            ASSERT_EQ(page, VisiblePage());
            struct Way { HWND window; UINT message; WPARAM wParam; LPARAM lParam; };
            const Way ways[] = {{Item(IDC_CANCEL_BUTTON), BM_CLICK, 0, 0},
                                {Window(), WM_CLOSE, 0, 0},
                                {Window(), WM_COMMAND, IDCANCEL, 0},
                                {Page(page), WM_COMMAND, IDCANCEL, 0},
                                {Item(IDC_LICENCE_TEXT, kLicence), WM_KEYDOWN, VK_ESCAPE, 1}};
            bool nextEnabled = Enabled(IDC_NEXT);
            for (int way = 0; way < (page == kLicence ? 5 : 4); ++way) {
                Post(ways[way].window, ways[way].message, ways[way].wParam, ways[way].lParam);
                HWND box = WaitForBox();
                ASSERT_TRUE(box) << "page " << page << ", way " << way;
                EXPECT_EQ(kTitle, TextOf(box));
                EXPECT_EQ(Builtin(10021) + "\r\n" + Builtin(10022), BoxText(box));
                EXPECT_TRUE(Answer(box, IDNO));
                EXPECT_EQ(nextEnabled, Enabled(IDC_NEXT));
            }
            EXPECT_EQ(page, VisiblePage());
        }
        Post(Window(), WM_CLOSE);
        EXPECT_TRUE(Answer(WaitForBox(), IDYES));
        ASSERT_NO_FATAL_FAILURE(ExpectEndPage());
        Post(Window(), WM_CLOSE);   // the close box leaves the cancel page without a question
    });
    EXPECT_EQ(IDCANCEL, result);
}

} // namespace
