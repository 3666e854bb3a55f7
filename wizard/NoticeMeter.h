#pragma once
#include <cstdint>

// Brackets the frame's handling of one progress notice. Each program that links the
// wizard links one definition by name (wizard/CMakeLists.txt): the setup's measures
// nothing (NoticeMeter.cpp); the benchmark's builds count the notices and time them on
// the user-interface thread (bench/NoticeMeterOn.cpp).
class NoticeMeter {
public:
    explicit NoticeMeter(int32_t code);
    ~NoticeMeter();
    NoticeMeter(const NoticeMeter&) = delete;
    NoticeMeter& operator=(const NoticeMeter&) = delete;

private:
    int32_t code;
    int64_t started = 0;
};
