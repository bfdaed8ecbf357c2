#pragma once

#include "platform/backend.h"

#include <deque>
#include <map>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace osyl {

// A display in memory for tests: scripted input at screen coordinates, a scripted clock,
// and every window's last presented pixels, position and visibility readable.
class HeadlessBackend : public Backend {
public:
    struct WindowState {
        WindowSpec spec;
        Rect bounds;
        bool shown = false;
        Picture pixels;
        // What went to the window last (all of it for a present) and how often it was sent.
        Rect last_sent;
        std::size_t sends = 0;
    };
    struct BoxRecord {
        BoxId id = 0;
        MessageBoxSpec spec;
        bool open = true;
    };

    HeadlessBackend();

    // Set-up.
    void set_executable_path(std::string path) { m_executable_path = std::move(path); }
    void set_locale(LocaleValues values) { m_locale = std::move(values); }
    void set_time(int hour, int minute, int second, int millisecond = 0);
    // Local time is this many seconds ahead of the wall clock's UTC (set before set_time).
    void set_utc_offset(int seconds) { m_utc_offset_s = seconds; }
    // At the end of the script, dismiss open boxes as a user pressing Enter would.
    void set_auto_dismiss(bool on) { m_auto_dismiss = on; }

    // Script, played in order by the program's event loops.
    void press(Point screen, Button button = Button::Left, Modifiers modifiers = 0);
    void release(Point screen, Button button = Button::Left, Modifiers modifiers = 0);
    void move(Point screen, Modifiers modifiers = 0);
    void click(Point screen, Button button = Button::Left);
    void key(int key_code, Modifiers modifiers = 0);  // to the focused window
    void close(const std::string& window_name);       // the window manager's close command
    void dismiss_box();                // Enter: closes the topmost box if a box has the keyboard
    void advance(std::int64_t ms);     // timers fire on the way
    void step_clock(std::int64_t ms);  // the wall clock is set, back if < 0
    void quit();
    void settings_changed();

    // Observation.
    const WindowState& window(const std::string& name) const;
    bool has_window(const std::string& name) const;
    std::size_t live_windows() const { return m_windows.size(); }
    std::string focused_window() const;
    const std::vector<BoxRecord>& boxes() const { return m_boxes; }
    std::size_t open_boxes() const;
    std::size_t pending_steps() const { return m_script.size(); }
    // Windows and modal ticks (each a desktop with its timers) still held by any headless
    // display, for the check after each test.
    static std::size_t windows_everywhere();
    static std::size_t ticks_everywhere();

    // Backend.
    WindowId create_window(const WindowSpec& spec) override;
    void destroy_window(WindowId window) override;
    void set_bounds(WindowId window, Rect bounds) override;
    void show_window(WindowId window) override;
    void hide_window(WindowId window) override;
    void activate(WindowId window, std::uint32_t time) override;
    void present(WindowId window, Picture pixels) override;
    void update(WindowId window, Rect area, const Picture& pixels) override;
    BoxId open_message_box(const MessageBoxSpec& spec) override;
    void close_message_box(BoxId box) override;
    // Boxes wait in the program's own loop, which ticks; a tick is only counted.
    void set_modal_tick(ModalTick tick) override;
    std::optional<Event> next_event(std::optional<std::int64_t> deadline_ms) override;
    bool script_exhausted() const override { return m_script.empty(); }
    std::int64_t now_ms() override { return m_now_ms; }
    LocalTime local_time(std::int64_t epoch_ms) override;
    LocaleValues locale_values() override { return m_locale; }
    std::string executable_path() override { return m_executable_path; }

private:
    struct Advance {
        std::int64_t until_ms;
    };
    struct KeyToFocus {
        int key_code;
        Modifiers modifiers;
    };
    struct StepClock {
        std::int64_t by_ms;
    };
    struct Dismiss {};
    struct Close {
        std::string window_name;
    };
    using Step = std::variant<Event, Advance, StepClock, KeyToFocus, Dismiss, Close>;

    WindowState& state(WindowId window);
    std::optional<Event> resolve(const Step& step);
    std::optional<Event> dismiss_top_box();
    std::int64_t script_end_time() const;
    void mouse(MouseInput::Action action, Point screen, Button button, Modifiers modifiers);

    std::map<WindowId, WindowState> m_windows;
    std::vector<BoxRecord> m_boxes;
    std::deque<Step> m_script;
    WindowId m_next_id = 1;
    WindowId m_focused = 0;
    bool m_box_focused = false;  // an open box has the keyboard
    std::int64_t m_now_ms;
    int m_utc_offset_s = 0;
    LocaleValues m_locale;
    std::string m_executable_path = "/opt/osyl/osyl";
    bool m_auto_dismiss = true;
    bool m_tick_held = false;
};

}  // namespace osyl
