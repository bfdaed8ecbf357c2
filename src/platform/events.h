#pragma once

#include "platform/geometry.h"

#include <cstdint>
#include <variant>

namespace osyl {

// The backend's handle of a window; 0 is none.
using WindowId = std::uint32_t;
using BoxId = std::uint32_t;

enum class Button { Left, Right, Middle };

// Modifier state, as bits.
enum Modifier : unsigned {
    Shift = 1U << 0,
    Ctrl = 1U << 1,
    Alt = 1U << 2,
    LeftHeld = 1U << 3,
    RightHeld = 1U << 4,
    MiddleHeld = 1U << 5,
};
using Modifiers = unsigned;

// The bit that says this button is held.
inline Modifiers held_bit(Button button) {
    switch (button) {
        case Button::Left: return LeftHeld;
        case Button::Middle: return MiddleHeld;
        case Button::Right: return RightHeld;
    }
    return 0;
}

inline constexpr int key_insert = 45;  // virtual key code of Insert

// Pointer input. A platform that knows which of our windows received it names that window
// and the position in it: that is where it goes when the pointer lies inside the window.
// Otherwise (no window named, or the pointer outside the named one, as when the window of
// the press still gets the release), the core finds the window under the screen position
// from where the windows are (Backend::actual_bounds).
struct MouseInput {
    enum class Action { Down, Up, Move };
    Action action = Action::Move;
    Button button = Button::Left;
    Point screen;
    Modifiers modifiers = 0;
    std::uint32_t time = 0;  // milliseconds, for double clicks
    WindowId window = 0;     // the window that received it; 0: none named
    Point position;          // in that window's client coordinates
};

// A key press delivered to the window that has the keyboard focus.
struct KeyInput {
    WindowId window = 0;
    int key_code = 0;
    Modifiers modifiers = 0;
    std::uint32_t time = 0;  // the platform's event time; 0 when it has none
};

// The window manager's close command (WM_DELETE_WINDOW, Alt+F4).
struct CloseRequest {
    WindowId window = 0;
};

// Keyboard focus moved to one of our windows (or away from all of them: window 0).
struct FocusChange {
    WindowId window = 0;
};

// The window manager showed or hid one of our windows itself (minimise, restore).
struct VisibilityChange {
    WindowId window = 0;
    bool visible = false;
};

struct BoxDismissed {
    BoxId box = 0;
};

// Log-off, shut-down, a terminating signal, or a lost display connection.
struct QuitRequest {};

// The user's time-format settings or time zone may have changed, or the wall clock was set.
struct SettingsChanged {};

using Event = std::variant<MouseInput, KeyInput, CloseRequest, FocusChange, VisibilityChange,
                           BoxDismissed, QuitRequest, SettingsChanged>;

}  // namespace osyl
