// lamp: watches, for SECONDS, the screen's top-left pixel (the light window
// fills the screen) and a recording that parec is writing, and prints on one
// clock (CLOCK_MONOTONIC, in ms) when the light went on and when the
// recording's first sample was taken, so that each flash can be set beside
// its tone (tests/hear --tones gives those in the recording's own time).
// Usage: lamp RECORDING SECONDS [PID]   Prints "start T", then
// "on T BLIND QUEUED STOOD" lines: the light went on between T - BLIND and T.
// Looking is blind while the machine stops (a virtual machine's cores do, for
// up to a quarter of a second), and a flash seen after such a stop is known
// only that far. In the 100 ms before it, QUEUED is how long the main thread
// of the program PID waited for a core (the kernel's schedstat), and STOOD
// the longest the machine stood still (this watcher's longest blind moment):
// a window cannot be drawn sooner than its thread runs.

#include <sys/stat.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <memory>
#include <string>

namespace {

double now()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1000 + double(t.tv_nsec) / 1e6;
}

// How long, in ms, the thread has waited for a core since it started; 0
// when it cannot be read.
double queuedMs(const std::string& schedstat)
{
    double ran = 0, waited = 0;
    FILE* file = std::fopen(schedstat.c_str(), "r");
    if (!file)
        return 0;
    if (std::fscanf(file, "%lf %lf", &ran, &waited) != 2)
        waited = 0;
    std::fclose(file);
    return waited / 1e6;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: lamp RECORDING SECONDS [PID]\n");
        return 2;
    }
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) {
        std::fprintf(stderr, "lamp: no X server\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    const double until = now() + std::atof(argv[2]) * 1000;
    // Each sample of the recording was taken before the file held it: the
    // tightest bound on the first sample's time is the least of "when seen,
    // less how long it holds", at 48,000 16-bit samples a second.
    double start = until;
    double looked = now();
    bool on = false;
    const std::string schedstat = argc == 4 ? std::string("/proc/") + argv[3] + "/task/" + argv[3] + "/schedstat" : "";
    struct Look {
        double when, queued, blind;  // the time, the program's wait for a core so far, and how long since the last look
    };
    std::deque<Look> looks;  // the last 100 ms
    while (now() < until) {
        const auto reply = std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)>(
            xcb_get_image_reply(x, xcb_get_image(x, XCB_IMAGE_FORMAT_Z_PIXMAP, root, 10, 10, 1, 1, ~0U), nullptr),
            &std::free);
        const double seen = now();
        looks.push_back({seen, schedstat.empty() ? 0 : queuedMs(schedstat), seen - looked});
        while (looks.front().when < seen - 100)
            looks.pop_front();
        if (reply && xcb_get_image_data_length(reply.get()) >= 3) {
            const bool white = xcb_get_image_data(reply.get())[1] > 128;
            if (white && !on) {
                double stood = 0;
                for (const Look& look : looks)
                    stood = std::max(stood, look.blind);
                std::printf("on %.2f %.2f %.2f %.2f\n", seen, seen - looked, looks.back().queued - looks.front().queued,
                            stood);
            }
            on = white;
        }
        looked = seen;
        struct stat file {};
        if (stat(argv[1], &file) == 0 && file.st_size > 0)
            start = std::min(start, seen - double(file.st_size) / 96.0);
        timespec pause{0, 4'000'000};  // looking closer keeps the X server busy, and starves the program watched
        nanosleep(&pause, nullptr);
    }
    std::printf("start %.2f\n", start);
    xcb_disconnect(x);
    return 0;
}
