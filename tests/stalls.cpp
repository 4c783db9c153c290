// stalls: sleeps 2 ms at a time for SECONDS and tells how long the machine
// stood still: each time it was kept from waking longer than ever before,
// and every time for 50 ms or more, as "stalled MS at T", T the moment it
// woke (ms on the monotonic clock). A virtual machine's cores stop now and
// then, and a sound driver that holds less than such a stop (Wine's holds
// 30 ms) breaks its play; tests/e2e.sh asks this whether a broken play had
// that cause.
//
// stalls stamp: copies its input to its output, each line led by the
// moment it came (ms on the same clock), so that the sound server's log
// and the stops can be set side by side.
//
// Usage: stalls SECONDS | stalls stamp

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

double now()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1000 + double(t.tv_nsec) / 1e6;
}

int stamp()
{
    char line[4096];
    bool lineStart = true;
    while (std::fgets(line, sizeof line, stdin)) {
        if (lineStart)
            std::printf("%.1f ", now());
        std::fputs(line, stdout);
        lineStart = std::strchr(line, '\n') != nullptr;
        if (lineStart)
            std::fflush(stdout);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: stalls SECONDS | stalls stamp\n");
        return 2;
    }
    if (std::strcmp(argv[1], "stamp") == 0)
        return stamp();
    constexpr double reported = 50;  // ms: a stop from which every one is told
    const double until = now() + std::atof(argv[1]) * 1000;
    double longest = 0;
    for (double last = now(); last < until;) {
        timespec pause{0, 2'000'000};
        nanosleep(&pause, nullptr);
        const double woke = now(), stood = woke - last - 2;
        if (stood > longest || stood >= reported) {
            longest = stood > longest ? stood : longest;
            std::printf("stalled %.1f at %.1f\n", stood, woke);
            std::fflush(stdout);
        }
        last = woke;
    }
    return 0;
}
