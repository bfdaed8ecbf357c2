// xwatch: times a bar program from the X server's side, for scripts/bench.
//
//   xwatch map [--class NAME] [--kill] [--log FILE] [--timeout MS] -- PROGRAM [ARGS...]
//       Starts PROGRAM and prints "PID MS WINDOW": milliseconds from just before its execve to
//       the MapNotify of its first top-level window (of WM_CLASS NAME, if given). Then ends
//       the program (--kill) or stays its parent until it ends.
//   xwatch click X Y [--shows N] [--settle MS] [--area X Y W H] [--timeout MS]
//       Clicks at (X, Y) with XTEST 2N times (show, hide, ...) and prints the milliseconds from
//       each button release to the MapNotify (show) or UnmapNotify (hide) of a top-level window.
//       With --area, also when that screen area first looks as it does once settled, and how
//       long one read-back of it takes (the resolution of that figure).
//   xwatch minute X Y W H [--count N]
//       Polls that screen area about every millisecond across the next N wall-clock minutes
//       and prints how many milliseconds after each minute it changed.
//
// Events are timed as they arrive; the input comes from this same client, so both ends of a
// measurement are seen through one connection and nothing waits on a separate tool starting.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <class T>
using XReply = std::unique_ptr<T, FreeDeleter>;

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Nanoseconds on one clock; CLOCK_MONOTONIC is shared with the child we start.
std::int64_t now_ns(clockid_t clock = CLOCK_MONOTONIC) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return std::int64_t{ts.tv_sec} * 1'000'000'000 + ts.tv_nsec;
}

double ms(std::int64_t ns) { return static_cast<double>(ns) / 1e6; }

void sleep_until(std::int64_t deadline_ns, clockid_t clock = CLOCK_MONOTONIC) {
    timespec ts{static_cast<time_t>(deadline_ns / 1'000'000'000),
                static_cast<long>(deadline_ns % 1'000'000'000)};
    while (clock_nanosleep(clock, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

void sleep_ms(double milliseconds) {
    sleep_until(now_ns() + static_cast<std::int64_t>(milliseconds * 1e6));
}

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

class Connection {
public:
    Connection() : m_conn(xcb_connect(nullptr, nullptr)) {
        if (xcb_connection_has_error(m_conn)) {
            xcb_disconnect(m_conn);
            throw Failure("cannot connect to the X server (is DISPLAY set?)");
        }
        // A program we start must not inherit our connection.
        fcntl(xcb_get_file_descriptor(m_conn), F_SETFD, FD_CLOEXEC);
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_conn)).data->root;
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection() { xcb_disconnect(m_conn); }

    xcb_connection_t* get() const { return m_conn; }
    xcb_window_t root() const { return m_root; }

    // Top-level windows are the root's children: their maps and unmaps reach us from here on.
    void watch_top_level() {
        std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        auto cookie =
            xcb_change_window_attributes_checked(m_conn, m_root, XCB_CW_EVENT_MASK, &mask);
        if (XReply<xcb_generic_error_t> error{xcb_request_check(m_conn, cookie)})
            throw Failure("cannot watch the root window");
    }

    // The next event before deadline_ns, with the time it was taken off the connection.
    struct Arrival {
        XReply<xcb_generic_event_t> event;
        std::int64_t at_ns = 0;
    };
    std::optional<Arrival> next_event(std::int64_t deadline_ns) {
        for (;;) {
            if (xcb_generic_event_t* event = xcb_poll_for_event(m_conn))
                return Arrival{XReply<xcb_generic_event_t>{event}, now_ns()};
            if (xcb_connection_has_error(m_conn)) throw Failure("the X connection broke");
            std::int64_t left = deadline_ns - now_ns();
            if (left <= 0) return std::nullopt;
            pollfd fd{xcb_get_file_descriptor(m_conn), POLLIN, 0};
            poll(&fd, 1, static_cast<int>(std::min<std::int64_t>(left / 1'000'000 + 1, 50)));
        }
    }

    void drain() {
        while (XReply<xcb_generic_event_t> event{xcb_poll_for_event(m_conn)}) {
        }
    }

    std::vector<std::uint8_t> image(int x, int y, int width, int height) {
        auto cookie =
            xcb_get_image(m_conn, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root, x, y, width, height, ~0u);
        XReply<xcb_get_image_reply_t> reply{xcb_get_image_reply(m_conn, cookie, nullptr)};
        if (!reply) throw Failure("cannot read the screen area");
        const std::uint8_t* data = xcb_get_image_data(reply.get());
        return {data, data + xcb_get_image_data_length(reply.get())};
    }

private:
    xcb_connection_t* m_conn;
    xcb_window_t m_root = 0;
};

std::string wm_class(Connection& x, xcb_window_t window) {
    auto cookie = xcb_get_property(x.get(), 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 64);
    XReply<xcb_get_property_reply_t> reply{xcb_get_property_reply(x.get(), cookie, nullptr)};
    if (!reply) return {};
    auto text = static_cast<const char*>(xcb_get_property_value(reply.get()));
    return {text, static_cast<std::size_t>(xcb_get_property_value_length(reply.get()))};
}

// WM_CLASS holds "instance\0class\0"; either part may name the program.
bool class_matches(const std::string& property, std::string_view name) {
    std::size_t split = property.find('\0');
    std::string_view all{property};
    std::string_view instance = all.substr(0, split);
    std::string_view klass = split == std::string::npos ? "" : all.substr(split + 1);
    if (!klass.empty() && klass.back() == '\0') klass.remove_suffix(1);
    return instance == name || klass == name;
}

// The first top-level event of one type before the deadline that passes `accept`.
// `keep_waiting` is asked every 50 ms without events, and ends the wait when it says no.
std::optional<std::pair<xcb_window_t, std::int64_t>> wait_top_level(
    Connection& x, std::uint8_t type, std::int64_t deadline_ns,
    const std::function<bool(xcb_window_t)>& accept,
    const std::function<bool()>& keep_waiting = [] { return true; }) {
    while (now_ns() < deadline_ns) {
        auto arrival = x.next_event(std::min(deadline_ns, now_ns() + 50'000'000));
        if (!arrival) {
            if (!keep_waiting()) break;
            continue;
        }
        std::uint8_t kind = arrival->event->response_type & 0x7f;
        xcb_window_t window = 0;
        if (kind == XCB_MAP_NOTIFY && type == XCB_MAP_NOTIFY) {
            auto map = reinterpret_cast<xcb_map_notify_event_t*>(arrival->event.get());
            if (map->event == x.root()) window = map->window;
        } else if (kind == XCB_UNMAP_NOTIFY && type == XCB_UNMAP_NOTIFY) {
            auto unmap = reinterpret_cast<xcb_unmap_notify_event_t*>(arrival->event.get());
            if (unmap->event == x.root()) window = unmap->window;
        }
        if (window != 0 && accept(window)) return std::pair{window, arrival->at_ns};
    }
    return std::nullopt;
}

// ---- map -----------------------------------------------------------------------------------

struct Started {
    pid_t pid = 0;
    std::int64_t exec_ns = 0;
};

// Forks and execs; the child sends the time just before execve down a close-on-exec pipe,
// then an errno only if execve failed, so the parent knows when and whether it started.
Started start(char** argv, const std::string& log) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) throw Failure("pipe failed");
    pid_t pid = fork();
    if (pid < 0) throw Failure("fork failed");
    if (pid == 0) {
        close(fds[0]);
        if (!log.empty()) {
            int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            if (out >= 0) {
                dup2(out, 1);
                dup2(out, 2);
                close(out);
            }
        }
        std::int64_t at = now_ns();
        if (write(fds[1], &at, sizeof at) != sizeof at) _exit(127);
        execvp(argv[0], argv);
        int err = errno;
        [[maybe_unused]] auto ignored = write(fds[1], &err, sizeof err);
        _exit(127);
    }
    close(fds[1]);
    Started started{pid, 0};
    int err = 0;
    bool got_time = read(fds[0], &started.exec_ns, sizeof started.exec_ns) ==
                    static_cast<ssize_t>(sizeof started.exec_ns);
    bool exec_failed = read(fds[0], &err, sizeof err) == static_cast<ssize_t>(sizeof err);
    close(fds[0]);
    if (!got_time || exec_failed) {
        waitpid(pid, nullptr, 0);
        throw Failure(std::string("cannot start ") + argv[0] + ": " + std::strerror(err));
    }
    return started;
}

void stop(pid_t pid) {
    kill(pid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) return;
        sleep_ms(10);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

struct Mapped {
    pid_t pid = 0;
    double ms_from_exec = 0;
    xcb_window_t window = 0;
};

// The connection closes before returning, so a long wait on the program afterwards
// leaves no unread events piling up in the server.
Mapped start_and_watch(char** argv, const std::string& log, const std::string& klass,
                       double timeout_ms) {
    Connection x;
    x.watch_top_level();
    Started child = start(argv, log);
    bool exited = false;
    auto accept = [&](xcb_window_t window) {
        return klass.empty() || class_matches(wm_class(x, window), klass);
    };
    auto alive = [&] { return !(exited = waitpid(child.pid, nullptr, WNOHANG) == child.pid); };
    auto mapped = wait_top_level(
        x, XCB_MAP_NOTIFY, now_ns() + static_cast<std::int64_t>(timeout_ms * 1e6), accept, alive);
    if (!mapped) {
        if (!exited) stop(child.pid);
        throw Failure(exited ? "the program ended before mapping a window"
                             : "no window was mapped in time");
    }
    return {child.pid, ms(mapped->second - child.exec_ns), mapped->first};
}

// Without --kill we stay the program's parent until it ends, so it is reaped.
int run_map(int argc, char** argv) {
    std::string klass, log;
    bool kill_after = false;
    double timeout_ms = 10'000;
    int i = 0;
    for (; i < argc && std::string_view(argv[i]) != "--"; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--class" && i + 1 < argc)
            klass = argv[++i];
        else if (arg == "--log" && i + 1 < argc)
            log = argv[++i];
        else if (arg == "--timeout" && i + 1 < argc)
            timeout_ms = std::atof(argv[++i]);
        else if (arg == "--kill")
            kill_after = true;
        else
            throw Failure("map: unknown option " + std::string(arg));
    }
    if (i + 1 >= argc) throw Failure("map: no program after --");

    Mapped mapped = start_and_watch(argv + i + 1, log, klass, timeout_ms);
    std::printf("%d %.3f 0x%x\n", mapped.pid, mapped.ms_from_exec, mapped.window);
    std::fflush(stdout);
    if (kill_after)
        stop(mapped.pid);
    else
        waitpid(mapped.pid, nullptr, 0);
    return 0;
}

// ---- click ---------------------------------------------------------------------------------

void fake(Connection& x, std::uint8_t type, std::uint8_t detail, int px = 0, int py = 0) {
    xcb_test_fake_input(x.get(), type, detail, XCB_CURRENT_TIME, x.root(), px, py, 0);
}

struct Area {
    int x = 0, y = 0, width = 0, height = 0;
};

// Reads the area back to back after a map and keeps when each distinct look arrived.
struct Frames {
    std::vector<std::pair<std::vector<std::uint8_t>, std::int64_t>> seen;
    int reads = 0;
    void take(Connection& x, const Area& a, std::int64_t until_ns) {
        while (now_ns() < until_ns) {
            auto pixels = x.image(a.x, a.y, a.width, a.height);
            std::int64_t at = now_ns();
            ++reads;
            if (seen.empty() || seen.back().first != pixels)
                seen.emplace_back(std::move(pixels), at);
        }
    }
    // When the area first looked as it finally does.
    std::optional<std::int64_t> settled_at(const std::vector<std::uint8_t>& final_look) const {
        for (const auto& [pixels, at] : seen)
            if (pixels == final_look) return at;
        return std::nullopt;
    }
};

struct ClickResult {
    double to_event_ms = 0;
    std::optional<double> to_drawn_ms;
    double read_ms = 0;  // one read-back of the area: the resolution of to_drawn_ms
};

ClickResult click_once(Connection& x, int px, int py, bool expect_map, double timeout_ms,
                       const std::optional<Area>& area) {
    fake(x, XCB_MOTION_NOTIFY, 0, px, py);
    fake(x, XCB_BUTTON_PRESS, 1);
    xcb_flush(x.get());
    sleep_ms(30);  // the press effect is drawn; the toggle itself happens on release
    x.drain();
    std::int64_t start = now_ns();
    fake(x, XCB_BUTTON_RELEASE, 1);
    xcb_flush(x.get());
    auto seen = wait_top_level(x, expect_map ? XCB_MAP_NOTIFY : XCB_UNMAP_NOTIFY,
                               start + static_cast<std::int64_t>(timeout_ms * 1e6),
                               [](xcb_window_t) { return true; });
    if (!seen)
        throw Failure(expect_map ? "no window mapped after the click"
                                 : "no window unmapped after the click");
    ClickResult result{ms(seen->second - start), std::nullopt};
    if (expect_map && area) {
        Frames frames;
        constexpr std::int64_t watch_ns = 100'000'000;
        frames.take(x, *area, seen->second + watch_ns);
        result.read_ms = ms(watch_ns) / std::max(frames.reads, 1);
        sleep_ms(200);
        auto final_look = x.image(area->x, area->y, area->width, area->height);
        if (auto at = frames.settled_at(final_look)) result.to_drawn_ms = ms(*at - start);
    }
    return result;
}

void print_series(const char* name, const std::vector<double>& values) {
    std::printf("%s", name);
    for (double v : values) std::printf(" %.3f", v);
    std::printf("\n%s_median %.3f\n", name, median(values));
}

int run_click(int argc, char** argv) {
    if (argc < 2) throw Failure("click: X Y expected");
    int px = std::atoi(argv[0]), py = std::atoi(argv[1]);
    int shows = 5;
    double settle_ms = 300, timeout_ms = 5000;
    std::optional<Area> area;
    for (int i = 2; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--shows" && i + 1 < argc)
            shows = std::atoi(argv[++i]);
        else if (arg == "--settle" && i + 1 < argc)
            settle_ms = std::atof(argv[++i]);
        else if (arg == "--timeout" && i + 1 < argc)
            timeout_ms = std::atof(argv[++i]);
        else if (arg == "--area" && i + 4 < argc) {
            area = Area{std::atoi(argv[i + 1]), std::atoi(argv[i + 2]), std::atoi(argv[i + 3]),
                        std::atoi(argv[i + 4])};
            i += 4;
        } else
            throw Failure("click: unknown option " + std::string(arg));
    }
    Connection x;
    x.watch_top_level();
    std::vector<double> show, drawn, read, hide;
    for (int i = 0; i < shows; ++i) {
        ClickResult shown = click_once(x, px, py, true, timeout_ms, area);
        show.push_back(shown.to_event_ms);
        if (shown.to_drawn_ms) drawn.push_back(*shown.to_drawn_ms);
        if (area) read.push_back(shown.read_ms);
        sleep_ms(settle_ms);
        hide.push_back(click_once(x, px, py, false, timeout_ms, std::nullopt).to_event_ms);
        sleep_ms(settle_ms);
    }
    print_series("show", show);
    if (area) {
        print_series("drawn", drawn);
        print_series("read", read);
    }
    print_series("hide", hide);
    return 0;
}

// ---- minute --------------------------------------------------------------------------------

constexpr std::int64_t minute_ns = 60'000'000'000;

// Watches one minute boundary; returns when the area changed, in ms after the boundary,
// and the time of the last unchanged look, which bounds the change from below.
std::pair<double, double> watch_minute(Connection& x, const Area& a, double timeout_ms) {
    std::int64_t lead = 400'000'000;
    std::int64_t boundary = (now_ns(CLOCK_REALTIME) + lead) / minute_ns * minute_ns + minute_ns;
    sleep_until(boundary - lead, CLOCK_REALTIME);
    auto before = x.image(a.x, a.y, a.width, a.height);
    std::int64_t last_same = now_ns(CLOCK_REALTIME);
    std::int64_t next = last_same;
    std::int64_t deadline = boundary + static_cast<std::int64_t>(timeout_ms * 1e6);
    while (now_ns(CLOCK_REALTIME) < deadline) {
        next += 1'000'000;
        sleep_until(next, CLOCK_REALTIME);
        std::int64_t sent = now_ns(CLOCK_REALTIME);
        auto pixels = x.image(a.x, a.y, a.width, a.height);
        std::int64_t got = now_ns(CLOCK_REALTIME);
        if (pixels != before) return {ms(got - boundary), ms(last_same - boundary)};
        last_same = sent;
    }
    throw Failure("the area did not change within the timeout after the minute");
}

int run_minute(int argc, char** argv) {
    if (argc < 4) throw Failure("minute: X Y W H expected");
    Area area{std::atoi(argv[0]), std::atoi(argv[1]), std::atoi(argv[2]), std::atoi(argv[3])};
    int count = 1;
    double timeout_ms = 5000;
    for (int i = 4; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--count" && i + 1 < argc)
            count = std::atoi(argv[++i]);
        else if (arg == "--timeout" && i + 1 < argc)
            timeout_ms = std::atof(argv[++i]);
        else
            throw Failure("minute: unknown option " + std::string(arg));
    }
    Connection x;
    std::vector<double> delays;
    for (int i = 0; i < count; ++i) {
        auto [changed, unchanged] = watch_minute(x, area, timeout_ms);
        std::printf("minute %.3f after %.3f\n", changed, unchanged);
        std::fflush(stdout);
        delays.push_back(changed);
    }
    std::printf("minute_median %.3f\n", median(delays));
    return 0;
}

int usage() {
    std::fputs(
        "usage: xwatch map [--class NAME] [--kill] [--log FILE] [--timeout MS] -- PROGRAM...\n"
        "       xwatch click X Y [--shows N] [--settle MS] [--area X Y W H] [--timeout MS]\n"
        "       xwatch minute X Y W H [--count N] [--timeout MS]\n",
        stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    std::string_view mode = argv[1];
    try {
        if (mode == "map") return run_map(argc - 2, argv + 2);
        if (mode == "click") return run_click(argc - 2, argv + 2);
        if (mode == "minute") return run_minute(argc - 2, argv + 2);
    } catch (const Failure& failure) {
        std::fprintf(stderr, "xwatch: %s\n", failure.what());
        return 1;
    }
    return usage();
}
