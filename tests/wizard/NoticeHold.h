#pragma once
// Holds the install worker, on its own thread, before it delivers the next notice of one
// code, until the test lets go: so a test can act while the worker certainly runs (or
// certainly has a notice waiting), whatever the machine's speed. This test program's
// definition of NoticeDelivery::Delivers (NoticeHold.cpp) replaces the engine's.
#include <atomic>
#include <cstdint>

class NoticeHold {
public:
    explicit NoticeHold(int32_t code) { heldCode = code; }
    ~NoticeHold() { Release(); }
    static void Release() { heldCode = 0; }
    // True while the worker waits at the hold.
    static bool Waiting() { return waiting; }

    static inline std::atomic<int32_t> heldCode{0};
    static inline std::atomic<bool> waiting{false};
};
