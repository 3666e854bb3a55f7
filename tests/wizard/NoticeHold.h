#pragma once
// Holds the install worker before it delivers the next notice of one code until the test
// lets go, so a test can act while the worker certainly runs, whatever the machine's speed.
// NoticeHold.cpp defines this test program's NoticeDelivery::Delivers, which waits here.
#include <atomic>
#include <cstdint>

class NoticeHold {
public:
    explicit NoticeHold(int32_t code) { heldCode = code; }
    ~NoticeHold() { Release(); }
    static void Release() { heldCode = 0; }
    static bool Waiting() { return waiting; }

    static inline std::atomic<int32_t> heldCode{0};
    static inline std::atomic<bool> waiting{false};
};
