#pragma once

#include "platform/clock.h"
#include "platform/events.h"
#include "platform/geometry.h"
#include "platform/picture.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace osyl {

enum class WindowRole {
    Main,   // carries the task-bar entry, the icon and the application title
    Popup,  // skips the task bar, transient for the main window
};

// ARGB pixels, top-left first, alpha 0 transparent.
struct IconImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;
};

struct WindowSpec {
    std::string name;  // "Form1", also the window's caption where the platform shows one
    Rect bounds;       // screen position and size
    WindowRole role = WindowRole::Main;
    std::string title;  // application title, for the task-bar entry of the main window
    IconImage icon;     // for the main window
};

struct MessageBoxSpec {
    std::string caption;
    std::string text;    // lines separated by CR LF
    WindowId owner = 0;  // 0: modal for the whole program, no owner
};

// Runs the timers that are due and shows what changed; returns when the next timer is due.
using ModalTick = std::function<std::optional<std::int64_t>()>;

// What only a display server can do. The X11 backend talks to a real server; the
// headless one keeps everything in memory for tests.
class Backend {
public:
    virtual ~Backend() = default;

    virtual WindowId create_window(const WindowSpec& spec) = 0;
    virtual void destroy_window(WindowId window) = 0;
    virtual void set_bounds(WindowId window, Rect bounds) = 0;
    virtual void show_window(WindowId window) = 0;
    virtual void hide_window(WindowId window) = 0;
    // Raises the window and gives it the keyboard focus. The time is that of the user event
    // that asked for it, or 0 when none did (start-up, a timer).
    virtual void activate(WindowId window, std::uint32_t time) = 0;
    // Where the window really is on the screen and how big, as the platform last reported
    // it: a window manager, the user or a smaller screen may have put it elsewhere than
    // asked. Nothing: where it was asked to be. Pointer input is matched against this.
    virtual std::optional<Rect> actual_bounds(WindowId /*window*/) const { return std::nullopt; }
    // Shows these pixels in the window from now on, also when it is exposed. The backend
    // may keep them (no copy is made) or hand them to the display server and drop them.
    virtual void present(WindowId window, Picture pixels) = 0;
    // Replaces one rectangle of what was presented last: the pixels (the area's size) go
    // at the area's corner, in client coordinates, inside the presented picture; the rest
    // of the window keeps what it shows. Only called on a shown window after present().
    // Send or redraw only that rectangle: the clock's minute changes one digit.
    virtual void update(WindowId window, Rect area, const Picture& pixels) = 0;

    virtual BoxId open_message_box(const MessageBoxSpec& spec) = 0;
    virtual void close_message_box(BoxId box) = 0;
    // Timers tick while a message box is open, whoever runs the box's loop. When it is the
    // program's (next_event returns while the box shows), that loop ticks. When the platform
    // runs a modal loop of its own (Win32's MessageBoxW), it calls this tick from inside that
    // loop, again at the time the tick returns, until the box closes. Installed by the
    // desktop, cleared with an empty function.
    virtual void set_modal_tick(ModalTick tick) = 0;

    // Waits for the next event until the wall-clock deadline (none: wait for ever).
    // Returns nothing when the deadline passed first.
    virtual std::optional<Event> next_event(std::optional<std::int64_t> deadline_ms) = 0;
    // True when a test script has run dry; the real display never does.
    virtual bool script_exhausted() const { return false; }

    virtual std::int64_t now_ms() = 0;
    virtual LocalTime local_time(std::int64_t epoch_ms) = 0;
    virtual LocaleValues locale_values() = 0;
    virtual std::string executable_path() = 0;
};

// An open message box, closed however the code that waits for it ends, a halt included.
class ScopedBox {
public:
    ScopedBox(Backend& backend, const MessageBoxSpec& spec)
        : m_backend(backend), m_id(backend.open_message_box(spec)) {}
    ScopedBox(const ScopedBox&) = delete;
    ScopedBox& operator=(const ScopedBox&) = delete;
    ~ScopedBox() { m_backend.close_message_box(m_id); }
    BoxId id() const { return m_id; }

private:
    Backend& m_backend;
    BoxId m_id;
};

}  // namespace osyl
