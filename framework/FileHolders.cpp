#include "framework/FileHolders.h"

#include <windows.h>
#include <restartmanager.h>

#include "framework/DllSearchGuard.h"
#include "framework/WideText.h"

namespace {

using StartSessionFn = DWORD(WINAPI*)(DWORD*, DWORD, WCHAR*);
using EndSessionFn = DWORD(WINAPI*)(DWORD);
using RegisterResourcesFn = DWORD(WINAPI*)(DWORD, UINT, LPCWSTR*, UINT, RM_UNIQUE_PROCESS*, UINT, LPCWSTR*);
using GetListFn = DWORD(WINAPI*)(DWORD, UINT*, UINT*, RM_PROCESS_INFO*, LPDWORD);

template <typename Fn>
Fn Find(HMODULE module, const char* name)
{
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

} // namespace

// rstrtmgr is no known DLL: loaded from the system folder by its full path, never imported.
std::vector<std::string> FileHolders::Of(const std::string& path)
{
    std::vector<std::string> names;
    static HMODULE module = static_cast<HMODULE>(DllSearchGuard::LoadSystemLibrary(L"rstrtmgr.dll"));
    auto start = Find<StartSessionFn>(module, "RmStartSession");
    auto end = Find<EndSessionFn>(module, "RmEndSession");
    auto registerResources = Find<RegisterResourcesFn>(module, "RmRegisterResources");
    auto getList = Find<GetListFn>(module, "RmGetList");
    DWORD session = 0;
    WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
    if (!start || !end || !registerResources || !getList || start(&session, 0, key) != ERROR_SUCCESS)
        return names;
    std::wstring wide = WideText::FromUtf8(path);
    LPCWSTR files[] = {wide.c_str()};
    std::vector<RM_PROCESS_INFO> holders(8);
    UINT needed = 0, count = static_cast<UINT>(holders.size());
    DWORD reasons = 0;
    if (registerResources(session, 1, files, 0, nullptr, 0, nullptr) == ERROR_SUCCESS) {
        DWORD status = getList(session, &needed, &count, holders.data(), &reasons);
        if (status == ERROR_MORE_DATA) {
            holders.resize(needed);
            count = needed;
            status = getList(session, &needed, &count, holders.data(), &reasons);
        }
        if (status == ERROR_SUCCESS) {
            for (UINT i = 0; i < count && i < holders.size(); ++i) {
                std::string name = WideText::ToUtf8(holders[i].strAppName);
                if (!name.empty())
                    names.push_back(name);
            }
        }
    }
    end(session);
    return names;
}
