// The frame with a running worker: its end on the finish or the cancel page, the close
// question while the worker is held, and the exit's bound for a stuck worker.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "NoticeHold.h"
#include "WizardFixture.h"
#include "app/SetupApp.h"
#include "framework/RegKey.h"
#include "i18n/LanguageTable.h"
#include "remover/InstallRecordKey.h"
#include "remover/Remover.h"
#include "remover/SetAside.h"
#include "i18n/TextId.h"
#include "resources/resource.h"

extern SetupApp testApplication;

namespace {

using FrameInstallTest = WizardFixture;

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
    InstallEngine* engine = MakeEngine(LangIni(), !repair);
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

// A record that names what the wizard would refuse is no record, whatever its "Repair"
// says (any process of the user can write it): the wizard opens on its first page and
// installs nothing. A value of 80 characters or more is not read at all.
TEST_F(FrameInstallTest, APlantedRecordStartsTheWizardAsWithoutOne)
{
    const std::string windows = ::getenv("WINDIR") ? std::string(::getenv("WINDIR")) + "\\Temp\\x" : "C:\\windows\\x";
    const struct {
        std::string path, group;
    } rows[] = {{windows, kGroup}, {"relative\\dir", kGroup}, {scratch.file("fine"), "..\\..\\x"},
                {scratch.file(std::string(80, 'l')), kGroup}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path + " / " + row.group);
        {
            RegKey record;
            ASSERT_TRUE(record.Create(HKEY_CURRENT_USER, InstallRecordKey::Path));
            record.SetString(InstallRecordKey::InstallPath, row.path);
            record.SetString(InstallRecordKey::ProgramGroup, row.group);
            record.SetString(InstallRecordKey::Repair, "1");
        }
        InstallEngine* engine = MakeEngine(LangIni());
        RunFrame([&] {
            EXPECT_EQ(WizardFrame::LanguageIndex, VisiblePage());
            EXPECT_EQ(0, engine->GetState()) << "no worker started";
            Click(IDC_CANCEL_BUTTON);
            HWND box = WaitForBox();
            ASSERT_TRUE(box);
            Answer(box, IDYES);
        });
        EXPECT_FALSE(Exists(row.path)) << "nothing installed there";
        delete testApplication.engine;   // it holds its working folder until it goes
        testApplication.engine = nullptr;
        RegKey::DeleteKey(HKEY_CURRENT_USER, InstallRecordKey::Path);
    }
}

// A worker that does not stop within the rollback's wait is not raced: nothing of its run
// is removed, and the cancel page does not claim a clean abandon.
TEST_F(FrameInstallTest, AWorkerThatDoesNotStopLeavesAnHonestCancelPage)
{
    InstallEngine* engine = MakeEngine(LangIni());
    engine->SetRollbackWait(300);
    NoticeHold hold(NoticeFileEnd);
    RunFrame([&] {
        GoTo(WizardFrame::ProgressIndex);
        ASSERT_TRUE(WaitFor(&NoticeHold::Waiting));
        Post(Window(), WM_CLOSE);
        HWND box = WaitForBox();
        ASSERT_TRUE(box);
        ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), LPARAM(::GetDlgItem(box, IDYES)));
        ASSERT_TRUE(WaitFor([&] { return VisiblePage() == WizardFrame::CancelIndex; }));
        ExpectEndPage();
        Repaint(Page(WizardFrame::CancelIndex));
        EXPECT_EQ(Builtin(TextId::CancelIncomplete), Text(IDC_CANCEL_TEXT, WizardFrame::CancelIndex));
        EXPECT_FALSE(engine->RollbackComplete());
        EXPECT_TRUE(Exists(InstallDir())) << "nothing was removed under the running worker";
        hold.Release();
        ASSERT_TRUE(engine->WaitForWorker(INFINITE));
        Click(IDC_CANCEL_BUTTON);
    });
}

// A directory holding what an interrupted run set aside gets its files back as soon as it
// is chosen, and the wizard says so before it goes on; one the removal guard refuses is
// refused on the directory page.
TEST_F(FrameInstallTest, AChosenDirectoryIsRecoveredOrRefusedBeforeTheRunStarts)
{
    const std::string dir = InstallDir(), aside = dir + "\\" + SetAside::FolderName;
    std::filesystem::create_directories(aside + "\\0");
    ASSERT_TRUE(std::ofstream(dir + "\\readme.txt", std::ios::binary) << "half written");
    ASSERT_TRUE(std::ofstream(aside + "\\0\\0", std::ios::binary) << "the earlier readme");
    ASSERT_TRUE(std::ofstream(aside + "\\" + SetAside::JournalName, std::ios::binary) << "0\treadme.txt\n");
    MakeEngine(LangIni());
    RunFrame([&] {
        GoTo(WizardFrame::DirectoryIndex);
        Click(IDC_NEXT);
        HWND question = WaitForBox();
        ASSERT_TRUE(question) << "the directory exists";
        Answer(question, IDYES);
        HWND notice = WaitForBox();
        ASSERT_TRUE(notice);
        EXPECT_EQ(Builtin(TextId::SetAsideRestored) + "\r\n\r\n" + dir, BoxText(notice));
        Answer(notice, IDOK);
        EXPECT_EQ(WizardFrame::GroupIndex, VisiblePage());
        // A directory the removal guard refuses is refused here, with its reason.
        Click(IDC_BACK);
        const std::string windows = ::getenv("WINDIR") ? ::getenv("WINDIR") : "C:\\windows";
        ::SetWindowTextA(Item(IDC_DIRECTORY_EDIT, WizardFrame::DirectoryIndex), windows.c_str());
        Click(IDC_NEXT);
        HWND refusal = WaitForBox();
        ASSERT_TRUE(refusal);
        EXPECT_EQ(Builtin(TextId::DirectoryRefused) + "\r\n\r\n" + windows, BoxText(refusal));
        Answer(refusal, IDOK);
        EXPECT_EQ(WizardFrame::DirectoryIndex, VisiblePage());
        Click(IDC_CANCEL_BUTTON);
        Answer(WaitForBox(), IDYES);
    });
    std::ifstream in(dir + "\\readme.txt", std::ios::binary);
    EXPECT_EQ("the earlier readme", std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
    EXPECT_FALSE(Exists(aside));
}

struct HeldRun { int32_t held; bool failing; bool finishFirst; };
class HeldRunTest : public WizardFixture, public ::testing::WithParamInterface<HeldRun> {};

// The close question while the worker is held at a notice, so it certainly still runs.
// Yes cancels and rolls back once. A failure notice held until the Yes rollback waits for
// the worker is handled inside that wait and starts no second rollback. A done notice
// handled while the question is open leaves nothing to roll back.
TEST_P(HeldRunTest, YesToTheCloseQuestionEndsOnTheCancelPageWithOneRollbackAtMost)
{
    const HeldRun& c = GetParam();
    InstallEngine* engine = MakeEngine(LangIni(), c.failing);
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
            const std::vector<std::string>& queued = Remover::Instance()->CreatedEntries();
            EXPECT_EQ(1, std::count(queued.begin(), queued.end(), InstallDir())) << "one rollback";
            EXPECT_TRUE(WaitFor([&] { return !Exists(InstallDir()); }, 15000)) << "rolled back";
            EXPECT_FALSE(RecordExists());
        }
    });
}

// Abandoned; a failure during the rollback; done during the question.
INSTANTIATE_TEST_SUITE_P(Runs, HeldRunTest, ::testing::Values(HeldRun{NoticeFileEnd, false, false},
                         HeldRun{NoticeFailed, true, false}, HeldRun{NoticeFileEnd, false, true}));


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
