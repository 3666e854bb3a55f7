// Worker threads and the small holders of system resources.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <atomic>

#include "framework/CWinThread.h"
#include "framework/ComPtr.h"
#include "framework/RegKey.h"
#include "framework/ScopedCoInit.h"
#include "framework/ScopedHandle.h"
#include "framework/ScopedItemIdList.h"

namespace {

UINT ReturnParam(LPVOID param)
{
    return static_cast<UINT>(reinterpret_cast<UINT_PTR>(param));
}

bool HandleIsOpen(HANDLE handle)
{
    DWORD flags = 0;
    return ::GetHandleInformation(handle, &flags) != FALSE;
}

TEST(WorkerThread, AutoDeletingObjectClosesItsHandleAndAKeptOneOutlivesItsThread)
{
    CWinThread* thread = AfxBeginThread(&ReturnParam, reinterpret_cast<LPVOID>(42), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
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
    EXPECT_FALSE(HandleIsOpen(objects)) << "the object was deleted and closed its handle";
    ::CloseHandle(own);

    thread = AfxBeginThread(&ReturnParam, reinterpret_cast<LPVOID>(5), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(thread, nullptr);
    thread->m_bAutoDelete = FALSE;
    thread->ResumeThread();
    ASSERT_EQ(::WaitForSingleObject(thread->m_hThread, 10000), WAIT_OBJECT_0);
    EXPECT_TRUE(::GetExitCodeThread(thread->m_hThread, &code));
    EXPECT_EQ(code, 5u);
    delete thread;
}

TEST(ScopedHandleTest, ClosesOnceAndTreatsBothFailureValuesAsEmpty)
{
    HANDLE event = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    {
        ScopedHandle held(event);
        EXPECT_TRUE(held.valid());
        ScopedHandle moved(std::move(held));
        EXPECT_FALSE(held.valid());
        EXPECT_EQ(moved.get(), event);
        EXPECT_TRUE(HandleIsOpen(event));
    }
    EXPECT_FALSE(HandleIsOpen(event));
    EXPECT_FALSE(ScopedHandle(INVALID_HANDLE_VALUE).valid());
    EXPECT_FALSE(ScopedHandle().valid());
}

class RegKeyTest : public ::testing::Test {
protected:
    static constexpr const char* kPath = "Software\\OrvantaFrameworkTest";
    void SetUp() override { RegKey::DeleteKey(HKEY_CURRENT_USER, kPath); }
    void TearDown() override { RegKey::DeleteKey(HKEY_CURRENT_USER, kPath); }
};

TEST_F(RegKeyTest, VolatileKeyRoundTripsStrings)
{
    RegKey missing;
    EXPECT_FALSE(missing.Open(HKEY_CURRENT_USER, kPath));
    std::string text = "untouched";
    EXPECT_FALSE(missing.QueryString("InstallPath", text));
    EXPECT_TRUE(text.empty());

    RegKey key;
    ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, kPath, REG_OPTION_VOLATILE));
    EXPECT_TRUE(key.SetString("InstallPath", "c:\\Program Files\\Orvanta 4.00"));
    EXPECT_TRUE(key.SetString("Repair", ""));
    DWORD bytes = 0;
    EXPECT_TRUE(key.QueryValueSize("InstallPath", bytes));
    EXPECT_EQ(bytes, 30u);
    key.Close();

    RegKey reader;
    ASSERT_TRUE(reader.Open(HKEY_CURRENT_USER, kPath));
    EXPECT_TRUE(reader.QueryString("InstallPath", text));
    EXPECT_EQ(text, "c:\\Program Files\\Orvanta 4.00");
    EXPECT_TRUE(reader.QueryString("Repair", text));
    EXPECT_EQ(text, "");
    EXPECT_FALSE(reader.QueryString("Absent", text));
    reader.Close();
    EXPECT_TRUE(RegKey::DeleteKey(HKEY_CURRENT_USER, kPath));
    EXPECT_FALSE(reader.Open(HKEY_CURRENT_USER, kPath));
}

TEST_F(RegKeyTest, StringStoredWithoutTerminatorOrOfAnotherTypeReadsSafely)
{
    RegKey key;
    ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, kPath));
    const char raw[4] = {'a', 'b', 'c', 'd'};
    ASSERT_EQ(::RegSetValueExA(key.get(), "Raw", 0, REG_SZ, reinterpret_cast<const BYTE*>(raw), 4), ERROR_SUCCESS);
    DWORD number = 1;
    ASSERT_EQ(::RegSetValueExA(key.get(), "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4), ERROR_SUCCESS);
    std::string text;
    EXPECT_TRUE(key.QueryString("Raw", text));
    EXPECT_EQ(text, "abcd");
    EXPECT_FALSE(key.QueryString("Number", text));
}

// An object that counts its references, to watch ComPtr's AddRef/Release balance.
class Counted : public IUnknown {
public:
    std::atomic<long> refs{1};
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!IsEqualIID(iid, IID_IUnknown)) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        *out = this;
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

TEST(ShellHolders, ItemIdListGivesThePathOfASpecialFolder)
{
    ScopedCoInit com;
    EXPECT_TRUE(com.Succeeded());
    ScopedItemIdList list;
    ASSERT_EQ(::SHGetSpecialFolderLocation(nullptr, CSIDL_TEMPLATES, list.put()), S_OK);
    ASSERT_TRUE(list);
    std::string path = list.GetPath();
    EXPECT_FALSE(path.empty());
    EXPECT_NE(path.find("Templates"), std::string::npos) << path;
    EXPECT_TRUE(ScopedItemIdList().GetPath().empty());
}

} // namespace
