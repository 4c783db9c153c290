// stalls: sleeps 2 ms at a time for SECONDS and prints, in ms, the longest
// time it was kept from waking: how long the machine stood still. A virtual
// machine's cores stop now and then, and a sound driver that holds less than
// such a stop (Wine's holds 30 ms) breaks its play; tests/e2e.sh asks this
// whether a broken play had that cause.
// Usage: stalls SECONDS   Prints "stalled MS" whenever the longest grows.

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

double now()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1000 + double(t.tv_nsec) / 1e6;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: stalls SECONDS\n");
        return 2;
    }
    const double until = now() + std::atof(argv[1]) * 1000;
    double longest = 0;
    for (double last = now(); last < until;) {
        timespec pause{0, 2'000'000};
        nanosleep(&pause, nullptr);
        const double woke = now();
        if (woke - last - 2 > longest) {
            longest = woke - last - 2;
            std::printf("stalled %.1f\n", longest);
            std::fflush(stdout);
        }
        last = woke;
    }
    return 0;
}
