// Worker threads and the small holders of system resources.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>

#include "framework/CWinThread.h"
#include "framework/ComPtr.h"
#include "framework/RegKey.h"

namespace {

UINT ReturnParam(LPVOID param)
{
    return static_cast<UINT>(reinterpret_cast<UINT_PTR>(param));
}

// The engine's way to wait for its worker: start it suspended and keep a handle of its own.
TEST(WorkerThread, AutoDeletingObjectClosesItsHandle)
{
    CWinThread* thread = AfxBeginThread(&ReturnParam, reinterpret_cast<LPVOID>(42), THREAD_PRIORITY_NORMAL, 0,
                                        CREATE_SUSPENDED);
    ASSERT_NE(thread, nullptr);
    HANDLE own = nullptr;
    ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), thread->m_hThread, ::GetCurrentProcess(), &own, 0, FALSE,
                                  DUPLICATE_SAME_ACCESS));
    HANDLE objects = thread->m_hThread;
    thread->ResumeThread();
    ASSERT_EQ(::WaitForSingleObject(own, 10000), WAIT_OBJECT_0);
    DWORD code = 0;
    ::GetExitCodeThread(own, &code);
    EXPECT_EQ(code, 42u);
    DWORD flags = 0;
    EXPECT_FALSE(::GetHandleInformation(objects, &flags)) << "the object was deleted and closed its handle";
    ::CloseHandle(own);

}

// Values written by other programs need not end in a NUL or be strings at all.
TEST(RegKeyTest, StringWithoutTerminatorOrOfAnotherTypeReadsSafely)
{
    const char* path = "Software\\OrvantaFrameworkTest";
    RegKey key;
    ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, path, REG_OPTION_VOLATILE));
    const char raw[4] = {'a', 'b', 'c', 'd'};
    ASSERT_EQ(::RegSetValueExA(key.get(), "Raw", 0, REG_SZ, reinterpret_cast<const BYTE*>(raw), 4), ERROR_SUCCESS);
    DWORD number = 1;
    ASSERT_EQ(::RegSetValueExA(key.get(), "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4),
              ERROR_SUCCESS);
    std::string text;
    EXPECT_TRUE(key.QueryString("Raw", text));
    EXPECT_EQ(text, "abcd");
    EXPECT_FALSE(key.QueryString("Number", text));
    key.Close();
    EXPECT_TRUE(RegKey::DeleteKey(HKEY_CURRENT_USER, path));
}

// An object that counts its references, to watch ComPtr's AddRef/Release balance.
class Counted : public IUnknown {
public:
    std::atomic<long> refs{1};
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        *out = IsEqualIID(iid, IID_IUnknown) ? this : nullptr;
        if (!*out)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refs); }
};

TEST(ComPtrTest, ReleasesWhatItHoldsAndQueriesIntoAnother)
{
    Counted object;
    {
        ComPtr<IUnknown> first;
        object.AddRef();   // as a function filling an out-parameter does
        *first.put() = &object;
        ComPtr<IUnknown> second;
        EXPECT_EQ(first.As(second, IID_IUnknown), S_OK);
        EXPECT_EQ(object.refs, 3);
        ComPtr<IPersistFile> none;
        EXPECT_EQ(first.As(none, IID_IPersistFile), E_NOINTERFACE);
        EXPECT_FALSE(none);
    }
    EXPECT_EQ(object.refs, 1);
}

} // namespace
