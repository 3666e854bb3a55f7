#pragma once
// Holds the install worker, on its own thread, before it delivers the next notice of one
// code, until the test lets go: so a test can act while the worker certainly runs (or
// certainly has a notice waiting), whatever the machine's speed. This test program's
// definition of NoticeDelivery::Delivers replaces the engine's.
#include <cstdint>

class NoticeHold {
public:
    explicit NoticeHold(int32_t code);
    ~NoticeHold() { Release(); }
    static void Release();
    // True while the worker waits at the hold.
    static bool Waiting();
};
