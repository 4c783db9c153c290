// bench_xwatch: tells from outside a program when its window is first on
// screen, so that the startup of the real program and of the bare Qt floor
// are timed by the same clock, in the same way, with no code added to either.
//
//   bench_xwatch [--keep] [--timeout SECONDS] TITLE PROGRAM [ARG...]
//       Starts PROGRAM and prints "MS PID WINDOW" once a top-level window
//       whose title contains TITLE has been painted; MS counts from just
//       before the program was started. The program is then ended, unless
//       --keep is given, when it is left running for the caller to end.
//
//   bench_xwatch [--timeout SECONDS] TITLE
//       Prints "ready" once it watches, then "painted MS WINDOW" when a
//       window created after that, whose title contains TITLE, is painted;
//       MS counts from "ready".
//
// "Painted" is the X server's own account, through the DAMAGE extension: the
// first drawing request that changes a window's visible contents. Mapping
// alone does not count: Qt creates its windows with no background, so the
// server draws nothing into a window until Qt puts its first frame there.
// The damage object is made as soon as the server announces the window
// (CreateNotify), and the window's MapNotify proves it was made in time: the
// event carries the number of our last request the server had handled, and
// that must be the damage request or a later one. A window mapped earlier
// could have been drawn unseen, so it is an error (exit 3), never a figure.
//
// Resolution: the clock is CLOCK_MONOTONIC (nanoseconds), read as the event
// is taken from the connection. Between a client sending a drawing request
// and that reading lie the X server's wake-up, its handling of the request
// and this process's wake-up from poll(): about 0.3 ms on a two-core
// machine, alike for every program watched. Figures are printed to 0.01 ms.
//
// Only libxcb is used: the DAMAGE requests are few and small enough to be
// sent by hand, which spares a -dev package the project does not need.

#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/uio.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

extern char** environ;

namespace {

// The DAMAGE extension's wire format (damageproto, version 1.1).
xcb_extension_t damageExtension = {"DAMAGE", 0};
constexpr std::uint8_t damageQueryVersion = 0;
constexpr std::uint8_t damageCreate = 1;
constexpr std::uint8_t damageReportNonEmpty = 3;  // one event, when the window first gets drawn on

struct QueryVersionRequest {
    std::uint8_t major, minor;
    std::uint16_t length;
    std::uint32_t clientMajor, clientMinor;
};
struct QueryVersionReply {
    std::uint8_t type, pad0;
    std::uint16_t sequence;
    std::uint32_t length;
    std::uint32_t majorVersion, minorVersion;
    std::uint8_t pad1[16];
};
struct CreateRequest {
    std::uint8_t major, minor;
    std::uint16_t length;
    std::uint32_t damage, drawable;
    std::uint8_t level, pad[3];
};
struct NotifyEvent {
    std::uint8_t type, level;
    std::uint16_t sequence;
    std::uint32_t drawable, damage, timestamp;
    std::int16_t x, y;
    std::uint16_t width, height;
    std::int16_t geometryX, geometryY;
    std::uint16_t geometryWidth, geometryHeight;
};
static_assert(sizeof(QueryVersionRequest) == 12);
static_assert(sizeof(QueryVersionReply) == 32);
static_assert(sizeof(CreateRequest) == 16);
static_assert(sizeof(NotifyEvent) == 32);

// Sends one DAMAGE request; libxcb fills in the opcodes and the length.
unsigned sendDamageRequest(xcb_connection_t* x, void* request, std::size_t size, std::uint8_t opcode, bool isVoid)
{
    iovec parts[4];  // libxcb needs the two slots before the request for its own use
    parts[2].iov_base = request;
    parts[2].iov_len = size;
    parts[3].iov_base = nullptr;
    parts[3].iov_len = (4 - size % 4) % 4;
    xcb_protocol_request_t protocol{2, &damageExtension, opcode, std::uint8_t(isVoid ? 1 : 0)};
    return xcb_send_request(x, isVoid ? 0 : XCB_REQUEST_CHECKED, parts + 2, &protocol);
}

double nowMs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

[[noreturn]] void fail(int code, const char* what)
{
    std::fprintf(stderr, "bench_xwatch: %s\n", what);
    std::exit(code);
}

xcb_atom_t atom(xcb_connection_t* x, const char* name)
{
    xcb_intern_atom_reply_t* reply
        = xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, std::uint16_t(std::strlen(name)), name), nullptr);
    if (!reply)
        fail(2, "cannot intern an atom");
    const xcb_atom_t a = reply->atom;
    std::free(reply);
    return a;
}

std::string property(xcb_connection_t* x, xcb_window_t window, xcb_atom_t name, xcb_atom_t type)
{
    xcb_get_property_reply_t* reply
        = xcb_get_property_reply(x, xcb_get_property(x, 0, window, name, type, 0, 4096), nullptr);
    if (!reply)
        return {};
    std::string value(static_cast<const char*>(xcb_get_property_value(reply)),
                      std::size_t(xcb_get_property_value_length(reply)));
    std::free(reply);
    return value;
}

struct Watched {
    unsigned damageRequest = 0;  // the sequence number of our DamageCreate for it
    bool mappedTooEarly = false;
    bool titleChecked = false;
};

}  // namespace

int main(int argc, char* argv[])
{
    bool keep = false;
    double timeoutMs = 30'000;
    int arg = 1;
    for (; arg < argc && argv[arg][0] == '-' && argv[arg][1] == '-'; ++arg) {
        if (std::strcmp(argv[arg], "--keep") == 0)
            keep = true;
        else if (std::strcmp(argv[arg], "--timeout") == 0 && arg + 1 < argc)
            timeoutMs = std::atof(argv[++arg]) * 1e3;
        else
            fail(2, "usage: bench_xwatch [--keep] [--timeout SECONDS] TITLE [PROGRAM [ARG...]]");
    }
    if (arg >= argc)
        fail(2, "usage: bench_xwatch [--keep] [--timeout SECONDS] TITLE [PROGRAM [ARG...]]");
    const std::string title = argv[arg++];
    char** program = arg < argc ? argv + arg : nullptr;

    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x))
        fail(2, "cannot connect to the X server (is DISPLAY set?)");
    fcntl(xcb_get_file_descriptor(x), F_SETFD, FD_CLOEXEC);  // not the program's to inherit
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;

    const xcb_query_extension_reply_t* damage = xcb_get_extension_data(x, &damageExtension);
    if (!damage || !damage->present)
        fail(2, "the X server has no DAMAGE extension");
    QueryVersionRequest query{0, 0, 0, 1, 1};
    const unsigned querySequence = sendDamageRequest(x, &query, sizeof query, damageQueryVersion, false);
    xcb_generic_error_t* error = nullptr;
    void* version = xcb_wait_for_reply(x, querySequence, &error);
    if (!version)
        fail(2, "DAMAGE did not answer its version query");
    std::free(version);

    const xcb_atom_t netWmName = atom(x, "_NET_WM_NAME");
    const xcb_atom_t utf8String = atom(x, "UTF8_STRING");

    // Every window the server creates as a child of the root is a top-level.
    const std::uint32_t rootEvents = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_void_cookie_t select = xcb_change_window_attributes_checked(x, root, XCB_CW_EVENT_MASK, &rootEvents);
    if (xcb_generic_error_t* e = xcb_request_check(x, select)) {
        std::free(e);
        fail(2, "cannot watch the root window");
    }

    const double start = nowMs();
    pid_t child = 0;
    if (program) {
        // The program's output goes to our stderr: our stdout carries only the figure.
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, 2, 1);
        if (posix_spawnp(&child, program[0], &actions, nullptr, program, environ) != 0)
            fail(2, "cannot start the program");
        posix_spawn_file_actions_destroy(&actions);
    } else {
        std::printf("ready\n");
        std::fflush(stdout);
    }

    auto endChild = [&] {
        if (child > 0 && !keep) {
            kill(child, SIGTERM);
            waitpid(child, nullptr, 0);
        }
    };

    std::map<xcb_window_t, Watched> watched;
    const int notify = damage->first_event;  // DamageNotify is the extension's first event
    pollfd connection{xcb_get_file_descriptor(x), POLLIN, 0};
    for (;;) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(x)) {
            const double at = nowMs();
            const int type = event->response_type & 0x7f;
            if (type == XCB_CREATE_NOTIFY) {
                const auto* created = reinterpret_cast<xcb_create_notify_event_t*>(event);
                // Override-redirect windows too: Wine without a window manager makes its windows so.
                if (created->parent == root) {
                    CreateRequest request{0, 0, 0, xcb_generate_id(x), created->window, damageReportNonEmpty, {}};
                    watched[created->window].damageRequest
                        = sendDamageRequest(x, &request, sizeof request, damageCreate, true);
                    xcb_flush(x);
                }
            } else if (type == XCB_MAP_NOTIFY) {
                const auto* mapped = reinterpret_cast<xcb_map_notify_event_t*>(event);
                auto it = watched.find(mapped->window);
                // Sequence numbers travel as their low 16 bits.
                if (it != watched.end()
                    && std::int16_t(std::uint16_t(mapped->sequence - std::uint16_t(it->second.damageRequest))) < 0)
                    it->second.mappedTooEarly = true;
            } else if (type == notify) {
                const auto* painted = reinterpret_cast<NotifyEvent*>(event);
                auto it = watched.find(painted->drawable);
                if (it != watched.end() && !it->second.titleChecked) {
                    std::string name = property(x, painted->drawable, netWmName, utf8String);
                    if (name.empty())
                        name = property(x, painted->drawable, XCB_ATOM_WM_NAME, XCB_ATOM_ANY);
                    // Wine may draw into a window before it names it: look again at its next drawing.
                    it->second.titleChecked = !name.empty();
                    if (name.find(title) != std::string::npos) {
                        if (it->second.mappedTooEarly) {
                            endChild();
                            fail(3, "the window was mapped before it could be watched; no figure");
                        }
                        if (program)
                            std::printf("%.2f %d %u\n", at - start, int(child), unsigned(painted->drawable));
                        else
                            std::printf("painted %.2f %u\n", at - start, unsigned(painted->drawable));
                        std::fflush(stdout);
                        endChild();
                        xcb_disconnect(x);
                        return 0;
                    }
                }
            } else if (type == 0) {
                // An error for a window that vanished before its damage object was made is harmless.
                const auto* e = reinterpret_cast<xcb_generic_error_t*>(event);
                // So is one for Wine's input-only windows, which cannot be drawn into.
                if (e->error_code != XCB_WINDOW && e->error_code != XCB_DRAWABLE && e->error_code != XCB_MATCH)
                    std::fprintf(stderr, "bench_xwatch: X error %d\n", int(e->error_code));
            }
            std::free(event);
        }
        if (xcb_connection_has_error(x))
            fail(2, "lost the X server");
        if (child > 0 && waitpid(child, nullptr, WNOHANG) == child)
            fail(4, "the program ended before its window was painted");
        const double left = start + timeoutMs - nowMs();
        if (left <= 0) {
            endChild();
            fail(5, "timed out waiting for the window to be painted");
        }
        poll(&connection, 1, int(left < 50 ? left + 1 : 50));  // wake now and then to notice a dead program
    }
}
