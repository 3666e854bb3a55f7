#pragma once
#include <cstdint>

// Whether a notice travels to the frame window. Each program that links the engine links
// one definition by name (engine/CMakeLists.txt): the setup's delivers every notice
// (NoticeDelivery.cpp); the benchmark's quiet build keeps only the final ones, to tell the
// extraction's own cost from the user interface's (bench/NoticeDeliveryQuiet.cpp), and the
// wizard tests hold the worker with theirs (tests/wizard/NoticeHold.cpp).
class NoticeDelivery {
public:
    static bool Delivers(int32_t code);
};
