#pragma once
#include <cstdint>

// Whether a notice travels to the frame window. The shipped setup delivers every notice
// (NoticeDelivery.cpp); a benchmark build links its own definition that keeps only the
// final ones, to tell the extraction's own cost from the user interface's
// (bench/NoticeDeliveryQuiet.cpp), and the wizard tests hold the worker with theirs
// (tests/wizard/NoticeHold.cpp).
class NoticeDelivery {
public:
    static bool Delivers(int32_t code);
};
