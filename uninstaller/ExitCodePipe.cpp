#include "uninstaller/ExitCodePipe.h"

#include <cstdint>

bool ExitCodePipe::Open()
{
    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!::CreatePipe(&read, &write, &inheritable, 0))
        return false;
    read_.reset(read);
    write_.reset(write);
    return ::SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0) != FALSE;
}

bool ExitCodePipe::Receive(int& code)
{
    write_.reset();
    int32_t value = 0;
    DWORD total = 0;
    while (total < sizeof(value)) {
        DWORD read = 0;
        if (!::ReadFile(read_.get(), reinterpret_cast<char*>(&value) + total, sizeof(value) - total, &read, nullptr) ||
            read == 0)
            return false;
        total += read;
    }
    code = value;
    return true;
}

bool ExitCodePipe::Send(HANDLE writeEnd, int code)
{
    // The value comes from a command line: a handle that names no pipe is not ours to use.
    if (!writeEnd || ::GetFileType(writeEnd) != FILE_TYPE_PIPE)
        return false;
    ScopedHandle write(writeEnd);
    int32_t value = code;
    DWORD written = 0;
    return ::WriteFile(write.get(), &value, sizeof(value), &written, nullptr) && written == sizeof(value);
}
