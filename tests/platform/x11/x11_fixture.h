#pragma once

#include "platform/backend.h"
#include "platform/x11/x11_backend.h"
#include "platform/x11/x_client.h"
#include "support/xvfb.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace osyl::test {

// Sets DISPLAY for the life of the object (the backend reads it).
class ScopedDisplay {
public:
    explicit ScopedDisplay(const char* value);
    ScopedDisplay(const ScopedDisplay&) = delete;
    ScopedDisplay& operator=(const ScopedDisplay&) = delete;
    ~ScopedDisplay();

private:
    std::optional<std::string> m_old;
};

// A private Xvfb with one backend on it, and helpers to drive and watch both.
class X11Test : public testing::Test {
protected:
    X11Test() : X11Test({}) {}
    explicit X11Test(const std::vector<std::string>& server_options)
        : xvfb(800, 624, 24, server_options),
          m_display(xvfb.display().c_str()),
          backend(make_x11_backend()),
          client(xvfb.display()) {}

    // Handles events until the condition holds; false when it never did.
    bool pump_until(const std::function<bool()>& condition,
                    std::chrono::milliseconds timeout = 15s);
    void pump_for(std::chrono::milliseconds time);

    // The first event of this type that satisfies the test, after those seen already.
    template <class T>
    std::optional<T> wait_for(const std::function<bool(const T&)>& test = {},
                              std::chrono::milliseconds timeout = 15s) {
        std::optional<T> found;
        pump_until(
            [&] {
                for (; m_checked < seen.size(); ++m_checked) {
                    const T* event = std::get_if<T>(&seen[m_checked]);
                    if (event && (!test || test(*event))) {
                        found = *event;
                        ++m_checked;
                        return true;
                    }
                }
                return false;
            },
            timeout);
        return found;
    }

    WindowId create(const std::string& name, Rect bounds, WindowRole role);
    // Maps the window and waits until the server shows it.
    void show_and_wait(WindowId window);
    // Waits until the screen shows the picture with its top-left corner at the point.
    bool screen_shows(const Picture& picture, Point at, std::chrono::milliseconds timeout = 15s);
    RunResult tool(std::vector<std::string> argv);

    Xvfb xvfb;

private:
    ScopedDisplay m_display;
    std::size_t m_checked = 0;

protected:
    std::unique_ptr<Backend> backend;
    XClient client;
    std::vector<Event> seen;
};

// Every pixel of the picture is on the screen with its corner at the point.
bool shows_at(const Picture& screen, const Picture& picture, Point at);

std::string hex_id(std::uint32_t id);

}  // namespace osyl::test
