// The frame with a running worker: its end on the finish or the cancel page, the close
// question while the worker is held, and the exit's bound for a stuck worker.
#include <algorithm>

#include "NoticeHold.h"
#include "WizardFixture.h"
#include "app/SetupApp.h"
#include "framework/RegKey.h"
#include "i18n/LanguageTable.h"
#include "remover/InstallRecordKey.h"
#include "remover/Remover.h"
#include "resources/resource.h"

extern SetupApp testApplication;

namespace {

bool DeletePayload()
{
    return ::DeleteFileA((LanguageTable::GetWorkFolder() + "install\\Orva.in").c_str()) != FALSE;
}

class RunToEndTest : public WizardFixture, public ::testing::WithParamInterface<bool> {};

// A repair start runs the worker at once into the recorded place, asking nothing, to the
// finish page. After a failure the frame replies to the failure notice before its rollback
// waits for the worker, blocked in that notice, and ends on the cancel page.
TEST_P(RunToEndTest, ARepairEndsOnTheFinishPageAndAFailureOnTheCancelPage)
{
    const bool repair = GetParam();
    const std::string place = scratch.file("Repaired Place");
    if (repair) {
        RegKey record;
        ASSERT_TRUE(record.Create(HKEY_CURRENT_USER, InstallRecordKey::Path));
        record.SetString(InstallRecordKey::InstallPath, place);
        record.SetString(InstallRecordKey::ProgramGroup, kGroup);
        record.SetString(InstallRecordKey::Repair, "1");
    }
    InstallEngine* engine = MakeEngine(LangIni());
    ASSERT_TRUE(repair || DeletePayload());   // the worker finds no payload to unpack
    const int end = repair ? WizardFrame::FinishIndex : WizardFrame::CancelIndex;
    INT_PTR result = RunFrame([&] {
        if (!repair)
            GoTo(WizardFrame::ProgressIndex);   // Next on the confirmation page starts the worker
        ASSERT_TRUE(WaitFor([&] { return VisiblePage() == end; }));
        ASSERT_NO_FATAL_FAILURE(ExpectEndPage(end));
        EXPECT_EQ(repair ? NoticeDone : NoticeFailed, engine->GetState());
        if (repair) {
            EXPECT_EQ(place, engine->GetInstallDirectory());
            EXPECT_TRUE(Exists(place + "\\docs\\guide.txt"));
            EXPECT_TRUE(Exists(ProgramsFolder() + kGroup));
            Post(Window(), WM_CLOSE);   // the close box on the finish page leaves as its button does
        } else {
            Click(IDC_CANCEL_BUTTON);
        }
    });
    EXPECT_EQ(repair ? IDOK : IDCANCEL, result);
    EXPECT_EQ(repair ? place : "", Remover::GetRecordValue(InstallRecordKey::InstallPath));
    EXPECT_EQ(repair, RecordExists());
}

INSTANTIATE_TEST_SUITE_P(RepairOrFailure, RunToEndTest, ::testing::Bool());

struct HeldRun { int32_t held; bool failing; bool finishFirst; };
class HeldRunTest : public WizardFixture, public ::testing::WithParamInterface<HeldRun> {};

// The close question while the worker is held at a notice, so it certainly still runs.
// Yes cancels and rolls back once. A failure notice held until the Yes rollback waits for
// the worker is handled inside that wait and starts no second rollback. A done notice
// handled while the question is open leaves nothing to roll back.
TEST_P(HeldRunTest, YesToTheCloseQuestionEndsOnTheCancelPageWithOneRollbackAtMost)
{
    const HeldRun& c = GetParam();
    InstallEngine* engine = MakeEngine(LangIni());
    ASSERT_TRUE(!c.failing || DeletePayload());
    NoticeHold hold(c.held);
    RunFrame([&] {
        GoTo(WizardFrame::ProgressIndex);   // Next on the confirmation page starts the worker
        ASSERT_TRUE(WaitFor(&NoticeHold::Waiting));
        EXPECT_FALSE(Visible(IDC_BACK) || Visible(IDC_NEXT)) << "the progress page has no way back or on";
        Click(IDC_BACK);
        ASSERT_EQ(WizardFrame::ProgressIndex, VisiblePage()) << "a hidden Back does nothing";
        Post(Window(), WM_CLOSE);
        HWND box = WaitForBox();
        ASSERT_TRUE(box);
        if (c.finishFirst) {
            hold.Release();
            EXPECT_TRUE(WaitFor([&] { return VisiblePage() == WizardFrame::FinishIndex; }, 60000));
            EXPECT_TRUE(Answer(box, IDYES));
        } else {
            // The frame's thread then waits in the rollback for the worker, so nothing is
            // synchronised with it before the hold goes.
            ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), LPARAM(::GetDlgItem(box, IDYES)));
            ASSERT_TRUE(WaitFor([&] { return engine->GetState() == NoticeCancel; }));
            hold.Release();
        }
        ASSERT_NO_FATAL_FAILURE(ExpectEndPage());
        EXPECT_EQ(c.finishFirst ? NoticeDone : NoticeCancel, engine->GetState());
        if (c.finishFirst) {
            // A rollback deletes the record of a run that wrote one before it returns.
            EXPECT_EQ(InstallDir(), Remover::GetRecordValue(InstallRecordKey::InstallPath)) << "no rollback";
            EXPECT_TRUE(Exists(InstallDir() + "\\readme.txt"));
        } else {
            const std::vector<std::string>& queued = Remover::Instance()->Directories();
            EXPECT_EQ(1, std::count(queued.begin(), queued.end(), InstallDir())) << "one rollback";
            EXPECT_TRUE(WaitFor([&] { return !Exists(InstallDir()); }, 15000)) << "rolled back";
            EXPECT_FALSE(RecordExists());
        }
    });
}

// Abandoned; a failure during the rollback; done during the question.
INSTANTIATE_TEST_SUITE_P(Runs, HeldRunTest, ::testing::Values(HeldRun{NoticeFileEnd, false, false},
                         HeldRun{NoticeFailed, true, false}, HeldRun{NoticeFileEnd, false, true}));

using FrameInstallTest = WizardFixture;

// A worker that never ends (held here as a dead device would hold it) keeps the exit
// waiting no longer than its bound; the engine is left to the process's end.
TEST_F(FrameInstallTest, TheExitWaitsForAStuckWorkerOnlyUpToItsBound)
{
    InstallEngine* engine = MakeEngine(LangIni());
    NoticeHold hold(NoticeTotal);
    HWND sink = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    engine->SetFrameWindow(sink);
    ASSERT_TRUE(engine->StartWorker());
    ASSERT_TRUE(WaitFor(&NoticeHold::Waiting));
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

} // namespace
