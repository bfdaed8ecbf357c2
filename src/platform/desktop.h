#pragma once

#include "platform/backend.h"
#include "platform/events.h"
#include "platform/timer.h"
#include "platform/window.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace osyl {

// Runs a handler and reports what escapes it; installed by the application.
using Guard = std::function<void(const std::function<void()>&)>;

// All the program's windows on one screen: stacking, activation, mouse capture and the
// rules by which input reaches windows and elements.
class Desktop : public WindowHost, public TimerHost {
public:
    explicit Desktop(Backend& backend);
    ~Desktop();
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    Backend& backend() const override { return m_backend; }
    void set_guard(Guard guard) { m_guard = std::move(guard); }

    // The first window created; closing it ends the program.
    Window* main_window() const { return m_windows.empty() ? nullptr : m_windows.front(); }
    Window* active_window() const { return m_active; }
    Window* find(WindowId id) const;
    bool quit_requested() const { return m_quit; }
    void request_quit() { m_quit = true; }

    void show(Window& window) override;
    void hide(Window& window) override;
    void close(Window& window) override;
    // The time is that of the user event asking for it; 0: the input being delivered, if any.
    void activate(Window& window, std::uint32_t time = 0);

    void deliver(const MouseInput& input);
    void deliver(const KeyInput& input);
    void deliver(const FocusChange& change);
    void deliver(const VisibilityChange& change);
    // Drops the mouse capture; the pending release then goes where the pointer is.
    void cancel_capture() { m_captured = nullptr; }

    // While an error report is open the windows take no mouse or key input.
    void set_input_enabled(bool enabled) { m_input_enabled = enabled; }
    bool input_enabled() const { return m_input_enabled; }

    void present_changes();
    std::optional<std::int64_t> next_timer_due() const;
    void run_due_timers();
    // The wall clock was set, or the time zone or format changed: every timer ticks now.
    void clock_changed();

    void attach(Window& window) override;
    void detach(Window& window) override;
    void attach(Timer& timer) override;
    void detach(Timer& timer) override;

private:
    Window* window_at(Point screen) const;
    // The window the input is for, with the pointer's position in it.
    Window* window_for(const MouseInput& input, Point& client) const;
    Point client_position(const MouseInput& input, const Window& window) const;
    // Where the window really is, which may differ from where it asked to be.
    Rect placed(const Window& window) const;
    void raise(Window& window);
    void present(Window& window);
    void run_guarded(const std::function<void()>& handler);
    bool is_double_click(const MouseInput& input, const Window& window);
    void deliver_captured(const MouseInput& input);
    void deliver_to(Window& window, const MouseInput& input, Point client, bool double_click);

    Backend& m_backend;
    Guard m_guard;
    std::vector<Window*> m_windows;   // creation order
    std::vector<Window*> m_stacking;  // bottom to top
    std::vector<Timer*> m_timers;
    Window* m_active = nullptr;
    Element* m_captured = nullptr;
    Window* m_captured_window = nullptr;
    bool m_input_enabled = true;
    bool m_quit = false;
    std::uint32_t m_event_time = 0;  // of the input being delivered, 0 between inputs
    // The last left press, to recognise the second press of a double click.
    std::uint32_t m_last_press_time = 0;
    Point m_last_press_at;
    const Window* m_last_press_window = nullptr;
};

}  // namespace osyl
