#pragma once

#include "e2e/desktop_session.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace osyl::test {

// On an 800 x 600 output the bar sits on the bottom edge, one row higher than its X11
// place at (0, 577); the menu lies on it at (0, 276).
inline constexpr int wayland_shift = -1;
inline constexpr Rect wayland_bar_area{0, 576, 800, 24};
inline constexpr Rect wayland_menu_area{0, 276, 200, 300};
inline Point on_wayland(Point x11) { return {x11.x, x11.y + wayland_shift}; }

class TestClient;

// A headless sway of its own with one 800 x 600 output, run as an ordinary user as on a
// desktop (a root test run makes one). The program runs on it from its own folder; clicks come from
// a virtual pointer, keys from wtype, pictures from grim, and the task list from foreign-toplevel.
class WaylandSession {
public:
    WaylandSession();
    ~WaylandSession();

    const ProgramFolder& folder() const { return m_folder; }
    Environment environment() const { return m_environment; }
    // Starts the program with the session's Wayland display and no X display.
    ChildProcess& launch();
    ChildProcess& program() { return *m_program; }
    // Ends the compositor, as a crash or the end of the session would.
    void stop_compositor();

    void move(Point screen) const;
    void click(Point screen) const;
    // Presses and releases one key by its keysym name, through wtype.
    void key(const std::string& name) const;

    Picture screen() const;
    // Waits until the area shows the picture (outside the masks) and returns the last look.
    Picture wait_for_picture(Rect area, const Picture& expected,
                             const std::vector<Rect>& masked = {}) const;
    // The titles of the compositor's task list (foreign-toplevel), as they are now.
    std::vector<std::string> toplevel_titles() const;

private:
    void start_sway();

    ProgramFolder m_folder;
    TempDir m_runtime;
    Environment m_environment;
    std::optional<ChildProcess> m_sway;
    std::unique_ptr<TestClient> m_client;
    std::optional<ChildProcess> m_program;
};

}  // namespace osyl::test
