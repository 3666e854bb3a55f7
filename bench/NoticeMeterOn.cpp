// The benchmark build's notice meter: counts the progress notices the frame handles and
// adds up the time spent handling them on the user-interface thread. At process exit the
// figures go to the file named by ORVANTA_NOTICE_LOG (nothing is written without it).
#include "wizard/NoticeMeter.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

int64_t Now()
{
    LARGE_INTEGER ticks;
    ::QueryPerformanceCounter(&ticks);
    return ticks.QuadPart;
}

struct Tally {
    int64_t count = 0;
    int64_t busyTicks = 0;
    int64_t firstTick = 0;
    int64_t lastTick = 0;
    int64_t byCode[8] = {};

    ~Tally()
    {
        const char* path = std::getenv("ORVANTA_NOTICE_LOG");
        if (!path || !*path)
            return;
        LARGE_INTEGER frequency;
        ::QueryPerformanceFrequency(&frequency);
        double f = static_cast<double>(frequency.QuadPart);
        if (std::FILE* out = std::fopen(path, "w")) {
            std::fprintf(out, "notices %lld\nhandler_seconds %.6f\nspan_seconds %.6f\n", static_cast<long long>(count),
                         busyTicks / f, (lastTick - firstTick) / f);
            for (int code = 1; code < 8; ++code)
                std::fprintf(out, "code%d %lld\n", code, static_cast<long long>(byCode[code]));
            std::fclose(out);
        }
    }
};

Tally tally;

} // namespace

NoticeMeter::NoticeMeter(int32_t code) : code(code), started(Now())
{
    if (tally.count == 0)
        tally.firstTick = started;
}

NoticeMeter::~NoticeMeter()
{
    int64_t ended = Now();
    ++tally.count;
    tally.busyTicks += ended - started;
    tally.lastTick = ended;
    if (code > 0 && code < 8)
        ++tally.byCode[code];
}
