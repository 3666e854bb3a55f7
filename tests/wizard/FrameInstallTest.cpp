// The frame with a running worker: progress to finish, abandoning on the progress page,
// the finished notice during the close question, a failed installation and the repair start.
#include <windows.h>

#include <commctrl.h>

#include "FrameDriver.h"
#include "TestTexts.h"
#include "WizardFixture.h"
#include "engine/InstallEngine.h"
#include "resources/resource.h"

namespace {

constexpr size_t kBigFile = 24u << 20;   // long enough a worker for a question to open during it

class FrameInstallTest : public WizardFixture {
protected:
    static void GoToConfirm(FrameDriver& d)
    {
        d.Click(IDC_NEXT);
        d.Click(IDC_NEXT);
        d.ClickOnPage(WizardFrame::LicenceIndex, IDC_LICENCE_ACCEPT);
        d.Click(IDC_NEXT);
        d.Click(IDC_NEXT);
        d.Click(IDC_NEXT);
        ASSERT_EQ(WizardFrame::ConfirmIndex, d.VisiblePage());
    }
    static int BarPos(FrameDriver& d, int id)
    {
        return static_cast<int>(::SendMessageA(d.PageItem(WizardFrame::ProgressIndex, id), PBM_GETPOS, 0, 0));
    }
    static int BarEnd(FrameDriver& d, int id)
    {
        return static_cast<int>(::SendMessageA(d.PageItem(WizardFrame::ProgressIndex, id), PBM_GETRANGE, FALSE, 0));
    }
};

TEST_F(FrameInstallTest, ConfirmStartsTheWorkerAndItsDoneNoticeShowsTheFinishPage)
{
    InstallEngine* engine = MakeEngine(LangIni());
    FrameDriver driver;
    INT_PTR result = driver.Run([&](FrameDriver& d) {
        GoToConfirm(d);
        d.Click(IDC_NEXT);
        int page = d.VisiblePage();
        EXPECT_TRUE(page == WizardFrame::ProgressIndex || page == WizardFrame::FinishIndex) << page;
        EXPECT_FALSE(d.Visible(IDC_BACK));
        EXPECT_FALSE(d.Visible(IDC_NEXT));
        ASSERT_TRUE(d.WaitFor([&] { return d.VisiblePage() == WizardFrame::FinishIndex; }));
        EXPECT_EQ(NoticeDone, engine->GetState());
        EXPECT_FALSE(d.Visible(IDC_BACK));
        EXPECT_FALSE(d.Visible(IDC_NEXT));
        EXPECT_EQ(Builtin(20008), d.Text(IDC_CANCEL_BUTTON));
        EXPECT_EQ(40, BarEnd(d, IDC_TOTAL_BAR));
        EXPECT_EQ(40, BarPos(d, IDC_TOTAL_BAR));
        EXPECT_TRUE(Exists(InstallDir() + "\\readme.txt"));
        EXPECT_TRUE(Exists(InstallDir() + "\\docs\\guide.txt"));
        d.Click(IDC_NEXT);   // hidden: nothing
        EXPECT_EQ(WizardFrame::FinishIndex, d.VisiblePage());
        d.ClickOnPage(WizardFrame::FinishIndex, IDC_LAUNCH_CHECK);   // untick: nothing to launch
        d.Click(IDC_CANCEL_BUTTON);
    });
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ(InstallDir(), RecordValue("InstallPath"));
}

TEST_F(FrameInstallTest, AbandoningTheProgressPageCancelsAndRollsBack)
{
    InstallEngine* engine = MakeEngine(LangIni(), kBigFile);
    FrameDriver driver;
    driver.Run([&](FrameDriver& d) {
        GoToConfirm(d);
        d.Click(IDC_NEXT);
        d.Close();
        HWND box = d.WaitForBox();
        ASSERT_TRUE(box);
        bool running = d.VisiblePage() == WizardFrame::ProgressIndex;
        EXPECT_TRUE(d.Answer(box, IDYES));
        EXPECT_EQ(WizardFrame::CancelIndex, d.VisiblePage());
        EXPECT_FALSE(d.Visible(IDC_BACK));
        EXPECT_FALSE(d.Visible(IDC_NEXT));
        EXPECT_EQ(Builtin(20008), d.Text(IDC_CANCEL_BUTTON));
        if (!running)
            GTEST_SKIP() << "the worker finished before the question opened";
        EXPECT_EQ(NoticeCancel, engine->GetState());
        EXPECT_TRUE(d.WaitFor([&] { return !Exists(InstallDir()); }, 15000)) << "rolled back";
        EXPECT_FALSE(RecordExists());
    });
}

TEST_F(FrameInstallTest, DoneNoticeDuringTheCloseQuestionThenYesShowsCancelPageWithoutRollback)
{
    InstallEngine* engine = MakeEngine(LangIni(), kBigFile);
    FrameDriver driver;
    driver.Run([&](FrameDriver& d) {
        GoToConfirm(d);
        d.Click(IDC_NEXT);
        d.Close();
        HWND box = d.WaitForBox();
        ASSERT_TRUE(box);
        EXPECT_TRUE(d.WaitFor([&] { return d.VisiblePage() == WizardFrame::FinishIndex; }, 60000))
            << "the worker's notices are handled while the question is open";
        EXPECT_TRUE(d.Answer(box, IDYES));
        EXPECT_EQ(WizardFrame::CancelIndex, d.VisiblePage());
        EXPECT_EQ(NoticeDone, engine->GetState()) << "no cancel requested";
        ::Sleep(1500);
        EXPECT_TRUE(Exists(InstallDir() + "\\big.bin")) << "no rollback";
        EXPECT_EQ(InstallDir(), RecordValue("InstallPath"));
    });
}

TEST_F(FrameInstallTest, AFailedInstallationRollsBackAndShowsTheCancelPage)
{
    InstallEngine* engine = MakeEngine(LangIni());
    // The worker finds no payload to unpack.
    ASSERT_TRUE(::DeleteFileA((WorkFolder() + "install\\Orva.in").c_str()));
    FrameDriver driver;
    INT_PTR result = driver.Run([&](FrameDriver& d) {
        GoToConfirm(d);
        d.Click(IDC_NEXT);
        ASSERT_TRUE(d.WaitFor([&] { return d.VisiblePage() == WizardFrame::CancelIndex; }));
        EXPECT_EQ(NoticeFailed, engine->GetState());
        EXPECT_FALSE(d.Visible(IDC_BACK));
        EXPECT_FALSE(d.Visible(IDC_NEXT));
        EXPECT_EQ(Builtin(20008), d.Text(IDC_CANCEL_BUTTON));
        EXPECT_TRUE(d.Sync()) << "the frame still answers";
        EXPECT_FALSE(RecordExists());
        d.Click(IDC_CANCEL_BUTTON);
    });
    EXPECT_EQ(IDCANCEL, result);
}

TEST_F(FrameInstallTest, RepairStartsOnTheProgressPageAndInstallsIntoTheRecordedPlace)
{
    std::string recorded = scratch.file("Repaired Place");
    WriteRecord({{"InstallPath", recorded}, {"ProgramGroup", kGroup}, {"Repair", "1"}});
    InstallEngine* engine = MakeEngine(LangIni());
    FrameDriver driver;
    INT_PTR result = driver.Run([&](FrameDriver& d) {
        int page = d.VisiblePage();
        EXPECT_TRUE(page == WizardFrame::ProgressIndex || page == WizardFrame::FinishIndex) << page;
        EXPECT_FALSE(d.Visible(IDC_BACK));
        EXPECT_FALSE(d.Visible(IDC_NEXT));
        ASSERT_TRUE(d.WaitFor([&] { return d.VisiblePage() == WizardFrame::FinishIndex; }));
        EXPECT_EQ(recorded, engine->GetInstallDirectory());
        EXPECT_EQ(kGroup, engine->GetProgramGroup());
        EXPECT_TRUE(Exists(recorded + "\\readme.txt"));
        EXPECT_TRUE(Exists(ProgramsFolder() + kGroup));
        d.ClickOnPage(WizardFrame::FinishIndex, IDC_LAUNCH_CHECK);
        d.Close();   // the close box on the finish page leaves as its button does
    });
    EXPECT_EQ(IDOK, result);
}

TEST_F(FrameInstallTest, ARepairValueThatIsNoNumberStartsNormally)
{
    WriteRecord({{"InstallPath", scratch.file("x")}, {"Repair", "yes"}});
    InstallEngine* engine = MakeEngine(LangIni());
    FrameDriver driver;
    driver.Run([&](FrameDriver& d) {
        EXPECT_EQ(WizardFrame::LanguageIndex, d.VisiblePage());
        EXPECT_EQ(0, engine->GetState());
    });
}

} // namespace
