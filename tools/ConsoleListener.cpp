#include "tools/ConsoleListener.h"

#include <unistd.h>

#include <cstdio>

ConsoleListener::ConsoleListener(bool strict)
    : strict_(strict), terminal_(isatty(fileno(stderr)) != 0), start_(Clock::now())
{
}

ConsoleListener::~ConsoleListener()
{
    EndLine();
}

void ConsoleListener::Warning(const std::string& text)
{
    EndLine();
    std::fprintf(stderr, "orvapack: %s: %s\n", strict_ ? "error" : "warning", text.c_str());
}

void ConsoleListener::Zipped(uint64_t items, uint64_t itemCount, uint64_t bytes, uint64_t byteCount)
{
    Clock::time_point now = Clock::now();
    bool early = now - start_ < std::chrono::seconds(1);
    bool recent = shown_ && now - last_ < std::chrono::milliseconds(100) && items < itemCount;
    if (!terminal_ || early || recent)
        return;
    last_ = now;
    shown_ = true;
    std::fprintf(stderr, "\rzipping: %llu of %llu items, %.1f of %.1f MB ", static_cast<unsigned long long>(items),
                 static_cast<unsigned long long>(itemCount), double(bytes) / 1e6, double(byteCount) / 1e6);
    std::fflush(stderr);
}

void ConsoleListener::EndLine()
{
    if (shown_)
        std::fputc('\n', stderr);
    shown_ = false;
}
