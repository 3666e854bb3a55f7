#pragma once
#include <chrono>

#include "tools/SetupBuilder.h"

// orvapack's voice during a build, on standard error: each warning as it comes (as an
// error under strict), and on a terminal the zipping's progress once it takes more than
// a moment, redrawn in place at most ten times a second. Off a terminal it stays quiet.
class ConsoleListener : public BuildListener {
public:
    explicit ConsoleListener(bool strict);
    ~ConsoleListener() override;

    void Warning(const std::string& text) override;
    void Zipped(uint64_t items, uint64_t itemCount, uint64_t bytes, uint64_t byteCount) override;

private:
    using Clock = std::chrono::steady_clock;
    void EndLine();

    bool strict_;
    bool terminal_;
    bool shown_ = false;
    Clock::time_point start_, last_;
};
