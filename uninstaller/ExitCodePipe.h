#pragma once
#include <windows.h>

#include "framework/ScopedHandle.h"

// Carries the copy's exit code back to the original Uninstall.exe, which waits for it so
// that its caller learns the result. The original makes an anonymous pipe; the copy
// inherits the write end and finds its handle value on its command line. When the copy
// ends without sending (it died), the last write end closes and the original learns that
// no code will come.
class ExitCodePipe {
public:
    ExitCodePipe() = default;
    ExitCodePipe(const ExitCodePipe&) = delete;
    ExitCodePipe& operator=(const ExitCodePipe&) = delete;

    // The read end stays with this process; the write end is made inheritable.
    bool Open();
    HANDLE WriteEnd() const { return write_.get(); }

    // In the original, once the copy has started: gives up its own write end and waits
    // until the code comes (true) or every write end has closed without one (false).
    bool Receive(int& code);

    // In the copy: sends code and closes the write end.
    static bool Send(HANDLE writeEnd, int code);

private:
    ScopedHandle read_;
    ScopedHandle write_;
};
