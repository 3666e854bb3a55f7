// The frame with a running worker: progress to finish, abandoning on the progress page,
// the finished notice during the close question, a failed installation and the repair start.
#include <algorithm>

#include "NoticeHold.h"
#include "WizardFixture.h"
#include "app/SetupApp.h"
#include "i18n/LanguageTable.h"
#include "resources/resource.h"

extern SetupApp testApplication;

namespace {

using FrameInstallTest = WizardFixture;

void StartInstall(FrameDriver& d)
{
    d.GoTo(WizardFrame::ConfirmIndex);
    ASSERT_EQ(WizardFrame::ConfirmIndex, d.VisiblePage());
    d.Click(IDC_NEXT);
}

// The worker runs behind the progress page, which has no way back or on, and ends on the
// finish page (which a small installation may reach before the first look).
void ExpectWorkerToFinish(FrameDriver& d)
{
    int page = d.VisiblePage();
    EXPECT_TRUE(page == WizardFrame::ProgressIndex || page == WizardFrame::FinishIndex) << page;
    EXPECT_FALSE(d.Visible(IDC_BACK));
    EXPECT_FALSE(d.Visible(IDC_NEXT));
    ASSERT_TRUE(d.WaitFor([&] { return d.VisiblePage() == WizardFrame::FinishIndex; }));
    // The page shows before the handler that shows it has set the buttons.
    d.Sync();
}

// Starts the installation, waits until the worker is held, and closes the frame: the
// abandon question, or null.
HWND CloseDuringHeldRun(FrameDriver& d)
{
    StartInstall(d);
    if (!d.WaitFor(&NoticeHold::Waiting))
        return nullptr;
    d.Close();
    return d.WaitForBox();
}

// Yes to the abandon question while the worker is held. The frame's thread then waits in
// the rollback for the worker, so nothing is synchronised with it before the hold goes.
void AbandonHeldRun(FrameDriver& d, HWND box, InstallEngine* engine, NoticeHold& hold)
{
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(box, IDYES)));
    ASSERT_TRUE(d.WaitFor([&] { return engine->GetState() == NoticeCancel; }));
    hold.Release();
}

TEST_F(FrameInstallTest, ConfirmStartsTheWorkerAndItsDoneNoticeShowsTheFinishPage)
{
    InstallEngine* engine = MakeEngine(LangIni());
    FrameDriver driver;
    INT_PTR result = driver.Run([&](FrameDriver& d) {
        StartInstall(d);
        ASSERT_NO_FATAL_FAILURE(ExpectWorkerToFinish(d));
        EXPECT_EQ(NoticeDone, engine->GetState());
        EXPECT_FALSE(d.Visible(IDC_NEXT));
        EXPECT_EQ(Builtin(20008), d.Text(IDC_CANCEL_BUTTON));
        // Two files of 10 and 30 bytes: the total bar ends full, and so does the last file's.
        EXPECT_EQ("0..40 at 40", FrameDriver::BarState(d.Item(IDC_TOTAL_BAR, WizardFrame::ProgressIndex)));
        std::string file = FrameDriver::BarState(d.Item(IDC_FILE_BAR, WizardFrame::ProgressIndex));
        EXPECT_TRUE(file == "0..10 at 10" || file == "0..30 at 30") << file;
        EXPECT_TRUE(Exists(InstallDir() + "\\readme.txt"));
        EXPECT_TRUE(Exists(InstallDir() + "\\docs\\guide.txt"));

        HWND launch = d.Item(IDC_LAUNCH_CHECK, WizardFrame::FinishIndex);
        d.Click(IDC_LAUNCH_CHECK, WizardFrame::FinishIndex);
        EXPECT_EQ(BST_UNCHECKED, ::SendMessageA(launch, BM_GETCHECK, 0, 0));
        d.Repaint(d.Frame().Page(WizardFrame::FinishIndex)->m_hWnd);
        EXPECT_EQ(BST_CHECKED, ::SendMessageA(launch, BM_GETCHECK, 0, 0)) << "every paint ticks the box again";
        d.Click(IDC_LAUNCH_CHECK, WizardFrame::FinishIndex);   // nothing to launch
        d.Click(IDC_CANCEL_BUTTON);
    });
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ(InstallDir(), RecordValue("InstallPath"));
}

// The worker is held after its first file, so the question certainly opens while it runs.
TEST_F(FrameInstallTest, AbandoningTheProgressPageCancelsAndRollsBack)
{
    InstallEngine* engine = MakeEngine(LangIni());
    NoticeHold hold(NoticeFileEnd);
    FrameDriver driver;
    driver.Run([&](FrameDriver& d) {
        StartInstall(d);
        ASSERT_TRUE(d.WaitFor(&NoticeHold::Waiting));
        ASSERT_TRUE(Exists(InstallDir()));
        d.Close();
        HWND box = d.WaitForBox();
        ASSERT_TRUE(box);
        EXPECT_EQ(WizardFrame::ProgressIndex, d.VisiblePage());
        ASSERT_NO_FATAL_FAILURE(AbandonHeldRun(d, box, engine, hold));
        ExpectCancelPage(d);
        EXPECT_EQ(NoticeCancel, engine->GetState());
        EXPECT_TRUE(d.WaitFor([&] { return !Exists(InstallDir()); }, 15000)) << "rolled back";
        EXPECT_FALSE(RecordExists());
    });
}

TEST_F(FrameInstallTest, DoneNoticeDuringTheCloseQuestionThenYesShowsCancelPageWithoutRollback)
{
    InstallEngine* engine = MakeEngine(LangIni());
    NoticeHold hold(NoticeFileEnd);
    FrameDriver driver;
    driver.Run([&](FrameDriver& d) {
        HWND box = CloseDuringHeldRun(d);
        ASSERT_TRUE(box);
        hold.Release();
        EXPECT_TRUE(d.WaitFor([&] { return d.VisiblePage() == WizardFrame::FinishIndex; }, 60000))
            << "the worker's notices are handled while the question is open";
        EXPECT_TRUE(d.Answer(box, IDYES));
        EXPECT_EQ(WizardFrame::CancelIndex, d.VisiblePage());
        EXPECT_EQ(NoticeDone, engine->GetState()) << "no cancel requested";
        ::Sleep(1500);
        EXPECT_TRUE(Exists(InstallDir() + "\\readme.txt")) << "no rollback";
        EXPECT_EQ(InstallDir(), RecordValue("InstallPath"));
    });
}

// The failure notice waits while the user's Yes rolls back, and is handled inside that
// rollback's wait for the worker: it starts no second rollback.
TEST_F(FrameInstallTest, AFailureNoticeDuringTheAbandonsRollbackStartsNoSecondOne)
{
    InstallEngine* engine = MakeEngine(LangIni());
    ASSERT_TRUE(::DeleteFileA((LanguageTable::GetWorkFolder() + "install\\Orva.in").c_str()));
    NoticeHold hold(NoticeFailed);
    FrameDriver driver;
    driver.Run([&](FrameDriver& d) {
        HWND box = CloseDuringHeldRun(d);
        ASSERT_TRUE(box);
        ASSERT_NO_FATAL_FAILURE(AbandonHeldRun(d, box, engine, hold));
        ExpectCancelPage(d);
        const std::vector<std::string>& queued = Remover::Instance()->Directories();
        EXPECT_EQ(1, std::count(queued.begin(), queued.end(), InstallDir())) << "one rollback";
    });
}

// A worker that never ends (held here as a dead device would hold it) keeps the exit
// waiting no longer than its bound; the engine is left to the process's end.
TEST_F(FrameInstallTest, TheExitWaitsForAStuckWorkerOnlyUpToItsBound)
{
    InstallEngine* engine = MakeEngine(LangIni());
    NoticeHold hold(NoticeTotal);
    HWND sink = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    engine->SetFrameWindow(sink);
    ASSERT_TRUE(engine->StartWorker());
    for (int i = 0; i < 200 && !NoticeHold::Waiting(); ++i)
        ::Sleep(50);
    ASSERT_TRUE(NoticeHold::Waiting());
    testApplication.exitWaitMs = 300;
    testApplication.ExitInstance();
    testApplication.exitWaitMs = InstallEngine::kExitWaitMs;
    EXPECT_EQ(nullptr, testApplication.engine);
    EXPECT_FALSE(engine->WaitForWorker(0)) << "still held";
    hold.Release();
    EXPECT_TRUE(engine->WaitForWorker(INFINITE));
    delete engine;
    ::DestroyWindow(sink);
}

TEST_F(FrameInstallTest, AFailedInstallationRollsBackAndShowsTheCancelPage)
{
    InstallEngine* engine = MakeEngine(LangIni());
    // The worker finds no payload to unpack.
    ASSERT_TRUE(::DeleteFileA((LanguageTable::GetWorkFolder() + "install\\Orva.in").c_str()));
    FrameDriver driver;
    INT_PTR result = driver.Run([&](FrameDriver& d) {
        StartInstall(d);
        ASSERT_TRUE(d.WaitFor([&] { return d.VisiblePage() == WizardFrame::CancelIndex; }));
        EXPECT_EQ(NoticeFailed, engine->GetState());
        ExpectCancelPage(d);
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
        ASSERT_NO_FATAL_FAILURE(ExpectWorkerToFinish(d));
        EXPECT_EQ(recorded, engine->GetInstallDirectory());
        EXPECT_TRUE(Exists(recorded + "\\readme.txt"));
        EXPECT_TRUE(Exists(ProgramsFolder() + kGroup));
        d.Click(IDC_LAUNCH_CHECK, WizardFrame::FinishIndex);
        d.Close();   // the close box on the finish page leaves as its button does
    });
    EXPECT_EQ(IDOK, result);
}

} // namespace
