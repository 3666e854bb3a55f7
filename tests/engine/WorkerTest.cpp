// The worker: the cancel rule, a disk that fills up, the engine's end while its worker
// runs, and the launch of the installed program.
#include <exdisp.h>

#include <atomic>
#include <optional>
#include <thread>

#include "ProfileTest.h"
#include "framework/AdminOnlySecurity.h"

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

// The worker may be inside a notice to a window of this thread when the engine goes.
TEST_F(WorkerTest, TheDestructorWaitsForARunningWorkerWithoutDeadlock)
{
    ASSERT_TRUE(NewEngine(scratch.file("inst"), {{"big.bin", std::string(4 << 20, 'z')}}).StartWorker());
    engine.reset();
    EXPECT_EQ(NoticeDone, notices.back().code);
    EXPECT_EQ(256u, Values(NoticeChunk).size());
}

// An "install" folder that is there in the templates folder at the start, someone else's
// or a link to one (fixture.sh makes both, each holding a lang.ini), is neither written
// into nor removed: the run unpacks into a new folder beside it, installs, and takes only
// that folder away at its end.
TEST_F(WorkerTest, AWorkingFolderThatIsThereAlreadyIsNeitherUsedNorRemoved)
{
    const char* shellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    char saved[MAX_PATH] = {};
    DWORD size = sizeof(saved);
    ASSERT_EQ(ERROR_SUCCESS, ::RegGetValueA(HKEY_CURRENT_USER, shellFolders, "Templates",
                                            RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, saved, &size));
    std::shared_ptr<void> restore(nullptr, [&](void*) {
        ::RegSetKeyValueA(HKEY_CURRENT_USER, shellFolders, "Templates", REG_EXPAND_SZ, saved, size);
    });
    for (const char* planted : {"folder", "link"}) {
        SCOPED_TRACE(planted);
        const std::string templates = LinkDir() + "\\templates-" + planted, theirs = templates + "\\install\\lang.ini";
        const Names before = InstallReport::ListTree(templates);
        const std::string bytes = Load(theirs);
        ASSERT_EQ(Names({"install\\", "install\\lang.ini"}), before);
        ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeyValueA(HKEY_CURRENT_USER, shellFolders, "Templates", REG_SZ,
                                                   templates.c_str(), DWORD(templates.size() + 1)));
        NewEngine(scratch.file(planted), {{"app.txt", "app"}});
        EXPECT_TRUE(engine->ContainerUnpacked());
        EXPECT_EQ(Names({"lang.ini"}), InstallReport::ListTree(templates + "\\install")) << "nothing written there";
        ASSERT_TRUE(engine->StartWorker() && engine->WaitForWorker(INFINITE));
        EXPECT_EQ("app", Load(scratch.file(planted) + "\\app.txt"));
        engine.reset();
        EXPECT_EQ(before, InstallReport::ListTree(templates));
        EXPECT_EQ(bytes, Load(theirs));
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
