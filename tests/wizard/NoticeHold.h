#pragma once
// Holds the install worker before its next notice of one code until the test lets go, so a
// test acts while the worker certainly runs (NoticeHold.cpp's NoticeDelivery::Delivers waits).
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
