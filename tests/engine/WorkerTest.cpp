// The worker over real setups: a full run to shortcuts and record, failed and cancelled
// runs, the engine's life around a packed setup, the waits that must not deadlock, and
// the launch of the installed program.
#include "NoticeRecorder.h"
#include "ProfileTest.h"
#include "TestZip.h"
#include "engine/InstallEngine.h"
#include "i18n/LanguageTable.h"
#include "remover/Remover.h"
#include "tools/SetupBuilder.h"

namespace {

const char kGroup[] = "OrvantaTest Packed Group";
const char kApp[] = "OrvantaTest Packed";

class WorkerTest : public ProfileTest {
protected:
    void SetUp() override
    {
        ProfileTest::SetUp();
        Owns(kGroup, kApp);
    }

    // A setup made by the packer from a small product and a lang.ini.
    std::string PackedSetup()
    {
        std::string product = scratch.file("product");
        ::CreateDirectoryA(product.c_str(), nullptr);
        ::CreateDirectoryA((product + "\\docs").c_str(), nullptr);
        TestZip::Save(product + "\\terminal.exe", "terminal");
        TestZip::Save(product + "\\terminal.ico", "icon");
        TestZip::Save(product + "\\Uninstall.exe", "uninstall");
        TestZip::Save(product + "\\readme.txt", "readme");
        TestZip::Save(product + "\\docs\\guide.txt", TestZip::Bytes(70000, 9));
        TestZip::Save(scratch.file("lang.ini"), std::string("[install]\r\ntitle=OrvantaTest Packed Setup\r\ngroup=") + kGroup
                                                  + "\r\ninstallname=" + kApp + "\r\n[link]\r\ncount=1\r\nlink1=Readme#readme.txt\r\n");
        TestZip::Save(scratch.file("stub.exe"), "MZ stub of the test");
        SetupInputs inputs;
        inputs.stub = scratch.file("stub.exe");
        inputs.product = product;
        inputs.lang = scratch.file("lang.ini");
        inputs.out = scratch.file("setup.exe");
        std::string error;
        EXPECT_TRUE(SetupBuilder::BuildSetup(inputs, error)) << error;
        return inputs.out;
    }

    void Payload(const std::vector<TestZipItem>& items)
    {
        PutPayload(TestZip::Build(items, scratch.file("build.zip")));
    }

    std::string Group() const { return ProgramsFolder() + kGroup; }
};

} // namespace

TEST_F(WorkerTest, APackedSetupIsUnpackedInstalledAndCleanedUp)
{
    std::unique_ptr<InstallEngine> engine(new InstallEngine(PackedSetup()));
    EXPECT_EQ(std::vector<std::string>({"Orva.in", "lang.ini"}), Entries(UnpackFolder()));
    InstallSettings settings;
    LanguageTable::Instance()->ReadInstallSettings(settings);
    EXPECT_EQ("OrvantaTest Packed Setup", settings.title);
    EXPECT_EQ(kApp, settings.installname);

    NoticeRecorder recorder;
    std::string installDir = scratch.file("Packed App");
    engine->SetFrameWindow(recorder.Window());
    engine->SetInstallDirectory(installDir);
    engine->SetProgramGroup(kGroup);
    bool recordBeforeDone = false;
    recorder.onNotice = [&](const RecordedNotice& notice) {
        if (notice.code == NoticeDone)
            recordBeforeDone = RecordValue("InstallPath") == installDir && Exists(Group() + "\\Uninstall.lnk");
    };
    ASSERT_TRUE(engine->StartWorker());
    EXPECT_FALSE(engine->StartWorker());
    ASSERT_TRUE(engine->WaitForWorker(INFINITE));
    EXPECT_TRUE(recordBeforeDone);
    EXPECT_EQ(1u, recorder.Count(NoticeDone));
    EXPECT_EQ(NoticeDone, recorder.Notices().back().code);
    EXPECT_EQ(0u, recorder.Count(NoticeFailed));
    EXPECT_EQ(NoticeTotal, recorder.Notices().front().code);
    EXPECT_EQ(5u, recorder.Count(NoticeFileBegin));

    EXPECT_EQ("terminal", ReadFileText(installDir + "\\terminal.exe"));
    EXPECT_TRUE(TestZip::Bytes(70000, 9) == ReadFileText(installDir + "\\docs\\guide.txt"));
    EXPECT_EQ(std::vector<std::string>({std::string(kApp) + ".lnk", "Readme.lnk", "Uninstall.lnk"}), Entries(Group()));
    EXPECT_EQ(installDir + "\\readme.txt", ReadLink(Group() + "\\Readme.lnk").path);
    EXPECT_EQ(installDir + "\\terminal.exe", ReadLink(DesktopFolder() + kApp + ".lnk").path);
    EXPECT_EQ(kGroup, RecordValue("ProgramGroup"));
    EXPECT_EQ("OrvantaTest Packed Setup", RecordValue("SetupName"));

    engine.reset();
    EXPECT_FALSE(Exists(UnpackFolder()));
    EXPECT_EQ("0", RecordValue("Repair"));
    EXPECT_EQ(installDir, RecordValue("InstallPath"));
}

TEST_F(WorkerTest, AFailedExtractionEndsWithFailedAndMakesNoShortcutOrRecord)
{
    for (bool damaged : {false, true}) {
        InstallEngine engine(scratch.file("none.exe"));
        NoticeRecorder recorder;
        engine.SetFrameWindow(recorder.Window());
        engine.SetInstallDirectory(scratch.file("inst"));
        engine.SetProgramGroup(kGroup);
        if (damaged) {
            TestZipItem broken = TestZipItem::File("broken.bin", std::string(3000, 'b'));
            broken.brokenData = true;
            Payload({TestZipItem::File("a.txt", "a"), broken});
        }
        ASSERT_TRUE(engine.StartWorker());
        ASSERT_TRUE(engine.WaitForWorker(INFINITE));
        EXPECT_EQ(damaged ? "total begin chunk end begin chunk end failed" : "failed", recorder.Outline());
        EXPECT_FALSE(RecordExists());
        EXPECT_FALSE(Exists(Group()));
        EXPECT_FALSE(Exists(DesktopFolder() + kApp + ".lnk"));
    }
}

TEST_F(WorkerTest, ACancelledRunSendsNoFinalNoticeAndMakesNothing)
{
    InstallEngine engine(scratch.file("none.exe"));
    NoticeRecorder recorder;
    engine.SetFrameWindow(recorder.Window());
    engine.SetInstallDirectory(scratch.file("inst"));
    engine.SetProgramGroup(kGroup);
    Payload({TestZipItem::File("a.txt", "a"), TestZipItem::File("b.txt", "b")});
    recorder.onNotice = [&](const RecordedNotice& notice) {
        if (notice.code == NoticeFileBegin)
            engine.RequestCancel();
    };
    ASSERT_TRUE(engine.StartWorker());
    ASSERT_TRUE(engine.WaitForWorker(INFINITE));
    EXPECT_EQ("total begin cancel", recorder.Outline());
    EXPECT_FALSE(RecordExists());
    EXPECT_FALSE(Exists(Group()));
}

TEST_F(WorkerTest, ACancelBeforeTheTotalStaysInForce)
{
    InstallEngine engine(scratch.file("none.exe"));
    NoticeRecorder recorder;
    engine.SetFrameWindow(recorder.Window());
    engine.SetInstallDirectory(scratch.file("inst"));
    Payload({TestZipItem::File("a.txt", "a")});
    engine.RequestCancel();
    ASSERT_TRUE(engine.StartWorker());
    ASSERT_TRUE(engine.WaitForWorker(INFINITE));
    EXPECT_EQ("cancel total", recorder.Outline());
    EXPECT_FALSE(Exists(scratch.file("inst\\a.txt")));
    EXPECT_EQ(NoticeCancel, engine.GetState());
}

// The worker may be inside a notice to a window of this thread when the engine goes.
TEST_F(WorkerTest, TheDestructorWaitsForARunningWorkerWithoutDeadlock)
{
    NoticeRecorder recorder;
    recorder.keepChunkNames = false;
    {
        InstallEngine engine(scratch.file("none.exe"));
        engine.SetFrameWindow(recorder.Window());
        engine.SetInstallDirectory(scratch.file("inst"));
        engine.SetProgramGroup(kGroup);
        Payload({TestZipItem::File("big.bin", std::string(4 << 20, 'z'))});
        ASSERT_TRUE(engine.StartWorker());
    }
    EXPECT_EQ(NoticeDone, recorder.Notices().back().code);
    EXPECT_EQ(256u, recorder.Count(NoticeChunk));
}

TEST_F(WorkerTest, GroupsAndDirectoryQueries)
{
    std::string listed = ProgramsFolder() + "OrvantaTest Listed";
    Owns("OrvantaTest Listed", "");
    ASSERT_TRUE(::CreateDirectoryA(listed.c_str(), nullptr));
    TestZip::Save(ProgramsFolder() + "OrvantaTest File.txt", "f");
    InstallEngine engine(scratch.file("none.exe"));
    ::DeleteFileA((ProgramsFolder() + "OrvantaTest File.txt").c_str());
    const std::vector<std::string>& groups = engine.GetProgramGroups();
    EXPECT_NE(groups.end(), std::find(groups.begin(), groups.end(), "OrvantaTest Listed"));
    EXPECT_EQ(groups.end(), std::find(groups.begin(), groups.end(), "OrvantaTest File.txt"));
    EXPECT_EQ(groups.end(), std::find(groups.begin(), groups.end(), "."));

    EXPECT_EQ("c:\\Program Files\\Orvanta 4.00", engine.GetInstallDirectory());
    engine.SetInstallDirectory(scratch.str() + "\\");
    EXPECT_EQ(scratch.str() + "\\", engine.GetInstallDirectory());
    EXPECT_FALSE(engine.InstallDirectoryExists());
    engine.SetInstallDirectory(scratch.str());
    EXPECT_TRUE(engine.InstallDirectoryExists());
    TestZip::Save(scratch.file("plain"), "p");
    engine.SetInstallDirectory(scratch.file("plain"));
    EXPECT_TRUE(engine.InstallDirectoryExists());
    engine.SetInstallDirectory(scratch.file("absent"));
    EXPECT_FALSE(engine.InstallDirectoryExists());
}

TEST_F(WorkerTest, LaunchQuotesThePathSoNoPrefixProgramStarts)
{
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string probe = std::string(self).substr(0, std::string(self).rfind('\\')) + "\\engine_launch_probe.exe";
    std::string installDir = scratch.file("my app");
    ASSERT_TRUE(::CreateDirectoryA(installDir.c_str(), nullptr));
    ASSERT_TRUE(::CopyFileA(probe.c_str(), (installDir + "\\terminal.exe").c_str(), FALSE));
    ASSERT_TRUE(::CopyFileA(probe.c_str(), scratch.file("my.exe").c_str(), FALSE));
    InstallEngine engine(scratch.file("none.exe"));
    engine.SetInstallDirectory(installDir);
    engine.LaunchProgram();
    for (int i = 0; i < 100 && !Exists(installDir + "\\terminal.exe.ran"); ++i)
        ::Sleep(100);
    EXPECT_TRUE(Exists(installDir + "\\terminal.exe.ran"));
    EXPECT_FALSE(Exists(scratch.file("my.exe.ran")));
    ::Sleep(200);
}
