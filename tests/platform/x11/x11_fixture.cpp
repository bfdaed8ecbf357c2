#include "platform/x11/x11_fixture.h"

#include "platform/clock.h"

#include <cstdio>
#include <thread>

namespace osyl::test {

ScopedDisplay::ScopedDisplay(const char* value) {
    if (const char* old = std::getenv("DISPLAY")) m_old = old;
    if (value != nullptr) {
        setenv("DISPLAY", value, 1);
    } else {
        unsetenv("DISPLAY");
    }
}

ScopedDisplay::~ScopedDisplay() {
    if (m_old) {
        setenv("DISPLAY", m_old->c_str(), 1);
    } else {
        unsetenv("DISPLAY");
    }
}

bool X11Test::pump_until(const std::function<bool()>& condition,
                         std::chrono::milliseconds timeout) {
    std::int64_t end = wall_clock_ms() + timeout.count();
    while (!condition()) {
        if (wall_clock_ms() >= end) return false;
        // Short slices, so conditions that watch the server (not events) are seen soon.
        std::int64_t slice = std::min<std::int64_t>(end, wall_clock_ms() + 50);
        while (auto event = backend->next_event(slice)) seen.push_back(*event);
    }
    return true;
}

void X11Test::pump_for(std::chrono::milliseconds time) {
    std::int64_t end = wall_clock_ms() + time.count();
    pump_until([&] { return wall_clock_ms() >= end; }, time + 1s);
}

WindowId X11Test::create(const std::string& name, Rect bounds, WindowRole role) {
    WindowSpec spec;
    spec.name = name;
    spec.bounds = bounds;
    spec.role = role;
    spec.title = "Bar";
    return backend->create_window(spec);
}

void X11Test::show_and_wait(WindowId window) {
    backend->show_window(window);
    ASSERT_TRUE(pump_until([&] { return client.viewable(window); }));
}

bool X11Test::screen_shows(const Picture& picture, Point at, std::chrono::milliseconds timeout) {
    return pump_until([&] { return shows_at(screenshot(xvfb.display()), picture, at); }, timeout);
}

RunResult X11Test::tool(std::vector<std::string> argv) { return run(argv, xvfb.environment()); }

bool shows_at(const Picture& screen, const Picture& picture, Point at) {
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            int sx = at.x + x;
            int sy = at.y + y;
            if (sx < 0 || sy < 0 || sx >= screen.width() || sy >= screen.height()) return false;
            if (screen.at(sx, sy) != picture.at(x, y)) return false;
        }
    }
    return true;
}

std::string hex_id(std::uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", id);
    return text;
}

}  // namespace osyl::test
