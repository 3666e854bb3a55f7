// Another process of the same user going at files a running setup uses:
//   tamper.exe BYTES (delete|rename|overwrite PATH)...
// deletes PATH, puts a copy of the file BYTES in its place by rename, or writes BYTES'
// content over it, each in turn. Bit i of the exit code is set when attempt i succeeded.
#include <windows.h>

#include <string>

namespace {

bool Attempt(const std::string& action, const std::string& bytes, const std::string& path)
{
    if (action == "delete")
        return ::DeleteFileA(path.c_str());
    if (action == "rename") {
        std::string copy = bytes + ".copy";
        bool done = ::CopyFileA(bytes.c_str(), copy.c_str(), FALSE) &&
                    ::MoveFileExA(copy.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
        ::DeleteFileA(copy.c_str());
        return done;
    }
    HANDLE source = ::CreateFileA(bytes.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE target = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, TRUNCATE_EXISTING, 0, nullptr);
    char buffer[1 << 16];
    DWORD got = 0, put = 0;
    bool done = target != INVALID_HANDLE_VALUE;
    while (done && ::ReadFile(source, buffer, sizeof buffer, &got, nullptr) && got > 0)
        done = ::WriteFile(target, buffer, got, &put, nullptr) && put == got;
    ::CloseHandle(source);
    ::CloseHandle(target);
    return done;
}

} // namespace

int main(int argc, char** argv)
{
    int succeeded = 0;
    for (int i = 2; i + 1 < argc; i += 2)
        if (Attempt(argv[i], argv[1], argv[i + 1]))
            succeeded |= 1 << (i / 2 - 1);
    return succeeded;
}
