#include "engine/SentMessageWait.h"

bool SentMessageWait::Wait(HANDLE object, DWORD timeoutMs)
{
    ULONGLONG start = ::GetTickCount64();
    for (;;) {
        DWORD left = INFINITE;
        if (timeoutMs != INFINITE) {
            ULONGLONG spent = ::GetTickCount64() - start;
            left = spent >= timeoutMs ? 0 : DWORD(timeoutMs - spent);
        }
        DWORD result = ::MsgWaitForMultipleObjects(1, &object, FALSE, left, QS_SENDMESSAGE);
        if (result == WAIT_OBJECT_0)
            return true;
        if (result != WAIT_OBJECT_0 + 1)
            return false;
        // Peeking with PM_QS_SENDMESSAGE runs the pending sent messages and removes nothing.
        MSG message;
        ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}
