#pragma once
#include <windows.h>

// Waiting on the user-interface thread for an object signalled by another thread that
// may itself be waiting in SendMessageA for a window of this thread. Messages sent to
// this thread's windows are handled while waiting; posted messages (input, paint,
// timers) stay queued for the thread's own message loop.
class SentMessageWait {
public:
    // True when the object was signalled within timeoutMs (INFINITE allowed).
    static bool Wait(HANDLE object, DWORD timeoutMs);
};
