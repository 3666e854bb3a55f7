// Another process of the same user going at files a running setup uses:
//   tamper.exe BYTES (delete|overwrite|rename PATH)...
// deletes PATH, writes over its start through a handle that shares everything, or puts a
// copy of the file BYTES in its place by rename, each in turn. Bit i of the exit code is
// set when attempt i succeeded.
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

bool Attempt(const std::wstring& action, const std::wstring& bytes, const wchar_t* path)
{
    if (action == L"delete")
        return ::DeleteFileW(path);
    if (action == L"overwrite") {
        HANDLE file = ::CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
        DWORD put = 0;
        bool done = ::WriteFile(file, "evil", 4, &put, nullptr) && put == 4;
        ::CloseHandle(file);
        return done;
    }
    std::wstring copy = bytes + L".copy";
    bool done = ::CopyFileW(bytes.c_str(), copy.c_str(), FALSE) &&
                ::MoveFileExW(copy.c_str(), path, MOVEFILE_REPLACE_EXISTING);
    ::DeleteFileW(copy.c_str());
    return done;
}

} // namespace

int main()
{
    int argc = 0, succeeded = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    for (int i = 2; argv && i + 1 < argc; i += 2)
        succeeded |= Attempt(argv[i], argv[1], argv[i + 1]) << (i / 2 - 1);
    ::LocalFree(argv);
    return succeeded;
}
