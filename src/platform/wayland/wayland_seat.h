#pragma once

// Internal to the Wayland backend.

#include "platform/events.h"
#include "platform/wayland/wayland_display.h"

#include <wayland-cursor.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdint>

namespace osyl::wayland {

// Pointer input in the coordinates of the surface that received it: while a button is
// held, the compositor keeps sending to the surface it was pressed on.
struct PointerEvent {
    wl_surface* surface = nullptr;
    MouseInput::Action action = MouseInput::Action::Move;
    Button button = Button::Left;
    Point at;
    Modifiers modifiers = 0;
    std::uint32_t time = 0;
};

struct KeyEvent {
    wl_surface* surface = nullptr;
    std::uint32_t keysym = 0;  // xkbcommon's, which are X11's numbers
    Modifiers modifiers = 0;
    std::uint32_t time = 0;
};

class SeatListener {
public:
    virtual void pointer(const PointerEvent& event) = 0;
    virtual void key(const KeyEvent& event) = 0;
    // The keyboard went to this surface, or away from ours (null).
    virtual void keyboard_focus(wl_surface* surface) = 0;

protected:
    ~SeatListener() = default;
};

// The seat's pointer and keyboard, with keys turned into symbols by xkbcommon and the
// default arrow shown over our surfaces.
class Seat {
public:
    Seat(const Display& display, SeatListener& listener);
    Seat(const Seat&) = delete;
    Seat& operator=(const Seat&) = delete;

    // The surface is about to be destroyed: no input is sent for it any more.
    void forget(wl_surface* surface);

private:
    static void capabilities(void* data, wl_seat* seat, std::uint32_t caps);
    static void pointer_enter(void* data, wl_pointer* pointer, std::uint32_t serial,
                              wl_surface* surface, wl_fixed_t x, wl_fixed_t y);
    static void pointer_leave(void* data, wl_pointer* pointer, std::uint32_t serial,
                              wl_surface* surface);
    static void motion(void* data, wl_pointer* pointer, std::uint32_t time, wl_fixed_t x,
                       wl_fixed_t y);
    static void button(void* data, wl_pointer* pointer, std::uint32_t serial, std::uint32_t time,
                       std::uint32_t button, std::uint32_t state);
    static void keymap(void* data, wl_keyboard* keyboard, std::uint32_t format, std::int32_t fd,
                       std::uint32_t size);
    static void keyboard_enter(void* data, wl_keyboard* keyboard, std::uint32_t serial,
                               wl_surface* surface, wl_array* keys);
    static void keyboard_leave(void* data, wl_keyboard* keyboard, std::uint32_t serial,
                               wl_surface* surface);
    static void key(void* data, wl_keyboard* keyboard, std::uint32_t serial, std::uint32_t time,
                    std::uint32_t key, std::uint32_t state);
    static void modifiers(void* data, wl_keyboard* keyboard, std::uint32_t serial,
                          std::uint32_t depressed, std::uint32_t latched, std::uint32_t locked,
                          std::uint32_t group);
    void show_arrow(std::uint32_t serial);
    Modifiers modifier_state() const;
    void send_pointer(MouseInput::Action action, Button button, std::uint32_t time);

    const Display& m_display;
    SeatListener& m_listener;
    Owned<xkb_context, xkb_context_unref> m_xkb;
    Owned<xkb_keymap, xkb_keymap_unref> m_keymap;
    Owned<xkb_state, xkb_state_unref> m_state;
    Owned<wl_cursor_theme, wl_cursor_theme_destroy> m_cursor_theme;
    Proxy<wl_surface> m_cursor_surface;
    wl_cursor_image* m_arrow = nullptr;  // the theme's
    Proxy<wl_seat> m_seat;
    Proxy<wl_pointer> m_pointer;
    Proxy<wl_keyboard> m_keyboard;
    wl_surface* m_pointer_surface = nullptr;
    wl_surface* m_keyboard_surface = nullptr;
    Point m_pointer_at;
    Modifiers m_buttons = 0;
};

}  // namespace osyl::wayland
