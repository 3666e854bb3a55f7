// The worker: the cancel rule, a disk that fills up, the engine's end while its worker
// runs, and the launch of the installed program.
#include <exdisp.h>

#include <atomic>
#include <optional>
#include <thread>

#include "ProfileTest.h"
#include "framework/AdminOnlySecurity.h"
#include "tools/ContainerWriter.h"

using WorkerTest = ProfileTest;

namespace {

// The desktop's shell windows as a system without an Explorer desktop offers them: every
// request of this thread's apartment fails, and is counted.
struct FailingDesktopShell : IClassFactory {
    FailingDesktopShell()
    {
        ::CoRegisterClassObject(CLSID_ShellWindows, this, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie);
    }
    ~FailingDesktopShell() { ::CoRevokeClassObject(cookie); }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        *out = iid == IID_IUnknown || iid == IID_IClassFactory ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID, void** out) override
    {
        *out = nullptr;
        ++asked;
        return CO_E_SERVER_EXEC_FAILURE;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
    int asked = 0;
    DWORD cookie = 0;
};

} // namespace

// A notice of another thread that overwrote the cancel in `state` would let every later one
// through, and the last of them would be the state; the hammer goes on well past the cancel.
TEST_F(WorkerTest, ACancelIsNeverOverwrittenUnderContention)
{
    for (int round = 0; round < 10; ++round) {
        InstallEngine racing(scratch.file("none.exe"));
        std::atomic<long> sent{0};
        std::atomic<bool> stop{false};
        std::thread hammer([&] {
            for (int i = 0; !stop; ++i, ++sent)
                racing.Notify(NoticeChunk + i % 3, 1, 0, std::string());
        });
        while (sent < 1000 * (round + 1))
            std::this_thread::yield();
        racing.RequestCancel();
        for (long atCancel = sent; sent < atCancel + 20000;)
            std::this_thread::yield();
        stop = true;
        hammer.join();
        EXPECT_EQ(NoticeCancel, racing.GetState()) << "round " << round;
    }
}

// A link standing where a payload file goes (the fixture's "full\big.bin" leads to a
// device) is never written through: its item fails, and with it the installation, without
// shortcuts or record. The next file is still written.
TEST_F(WorkerTest, ALinkAtAFilesPlaceFailsTheInstallation)
{
    const std::vector<TestZipItem> items = {{"big.bin", Bytes(3 << 20, 11)}, {"small.txt", "s"}};
    ASSERT_TRUE(NewEngine(LinkDir() + "\\full", items).StartWorker() && engine->WaitForWorker(INFINITE));
    EXPECT_EQ("total begin chunk end begin chunk end failed", Outline());
    EXPECT_FALSE(InstallReport::RecordExists() || Exists(Group()) || Exists(DesktopLink()));
    EXPECT_EQ("s", Load(LinkDir() + "\\full\\small.txt"));
}

// The worker may be inside a notice to a window of this thread when the engine goes.
TEST_F(WorkerTest, TheDestructorWaitsForARunningWorkerWithoutDeadlock)
{
    ASSERT_TRUE(NewEngine(scratch.file("inst"), {{"big.bin", std::string(4 << 20, 'z')}}).StartWorker());
    engine.reset();
    EXPECT_EQ(NoticeDone, notices.back().code);
    EXPECT_EQ(256u, Values(NoticeChunk).size());
}

// The exit takes what the start unpacked, the folders it made for it and the archive the
// worker decoded, and nothing else: a file of the user's in the install folder stays byte
// for byte, and with it the folder; without one the install folder goes too.
TEST_F(WorkerTest, TheExitRemovesOnlyWhatTheRunUnpacked)
{
    std::string zip = Build({{"app.txt", "app"}}, scratch.file("build.zip")), setup = scratch.file("setup.exe");
    ContainerNode install = ContainerNode::Folder("install"), nested = ContainerNode::Folder("nested");
    nested.children = {ContainerNode::File("note.txt", {'n'})};
    std::string lang = std::string("[install]\r\ninstallname=") + kApp + "\r\n";
    install.children = {ContainerNode::File("Orva.in", {zip.rbegin(), zip.rend()}),
                        ContainerNode::File("lang.ini", {lang.begin(), lang.end()}), nested};
    ContainerWriter writer(2);
    writer.AppendContainer({install});
    ASSERT_TRUE(Save(setup, "MZ" + std::string(writer.Bytes().begin(), writer.Bytes().end())));
    const std::string mine = Bytes(300, 21);
    for (bool usersFile : {true, false}) {
        SCOPED_TRACE(usersFile);
        ASSERT_TRUE(!usersFile || (MakeTree(UnpackFolder(), {}) && Save(UnpackFolder() + "\\mine.bin", mine)));
        engine = std::make_unique<InstallEngine>(setup);
        ASSERT_TRUE(engine->ContainerUnpacked());
        engine->SetInstallDirectory(scratch.file("inst"));
        engine->SetProgramGroup(kGroup);
        ASSERT_TRUE(engine->StartWorker() && engine->WaitForWorker(INFINITE));
        Names unpacked = {"Orva.in", "Orva.zip", "lang.ini", "nested\\", "nested\\note.txt"}, kept;
        if (usersFile)
            unpacked.insert(unpacked.begin() + 3, kept.emplace_back("mine.bin"));
        ASSERT_EQ(unpacked, InstallReport::ListTree(UnpackFolder()));
        engine.reset();
        EXPECT_EQ(kept, InstallReport::ListTree(UnpackFolder()));
        EXPECT_EQ(usersFile, Exists(UnpackFolder()));
        EXPECT_EQ(usersFile ? mine : "", Load(UnpackFolder() + "\\mine.bin"));
        Clean();
    }
}

// Unquoted, "<scratch>\my app\terminal.exe" would first be tried as "<scratch>\my.exe". The
// program starts in the install directory, whether the desktop's shell starts it or the
// engine itself, where that shell fails (a stand-in here, asked only by an elevated setup).
TEST_F(WorkerTest, LaunchQuotesThePathAndStartsInTheInstallDirectory)
{
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string probe = std::filesystem::path(self).replace_filename("engine_launch_probe.exe").string();
    std::string dir = scratch.file("my app"), marker = dir + "\\terminal.exe.ran";
    ASSERT_TRUE(MakeTree(dir, {}) && ::CopyFileA(probe.c_str(), (dir + "\\terminal.exe").c_str(), FALSE));
    ASSERT_TRUE(::CopyFileA(probe.c_str(), scratch.file("my.exe").c_str(), FALSE));
    for (bool shellFails : {false, true}) {
        SCOPED_TRACE(shellFails);
        ::DeleteFileA(marker.c_str());
        InstallEngine& launcher = NewEngine(dir);
        std::optional<FailingDesktopShell> shell;
        if (shellFails)
            shell.emplace();
        launcher.LaunchProgram();
        for (int i = 0; i < 100 && Load(marker).empty(); ++i)
            ::Sleep(100);
        EXPECT_EQ(dir, Load(marker));
        EXPECT_FALSE(Exists(scratch.file("my.exe.ran")));
        if (shell) {
            EXPECT_EQ(AdminOnlySecurity::ProcessIsAdministrator() ? 1 : 0, shell->asked);
        }
    }
    ::Sleep(200);
}
