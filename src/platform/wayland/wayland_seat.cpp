#include "platform/wayland/wayland_seat.h"

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/wayland/shm_pool.h"

#include <linux/input-event-codes.h>

#include <cstdlib>
#include <optional>

namespace osyl::wayland {

namespace {

std::optional<Button> button_of(std::uint32_t code) {
    switch (code) {
        case BTN_LEFT: return Button::Left;
        case BTN_RIGHT: return Button::Right;
        case BTN_MIDDLE: return Button::Middle;
        default: return std::nullopt;  // extra buttons
    }
}

Point point_of(wl_fixed_t x, wl_fixed_t y) { return {wl_fixed_to_int(x), wl_fixed_to_int(y)}; }

}  // namespace

Seat::Seat(const Display& display, SeatListener& listener)
    : m_display(display), m_listener(listener), m_xkb(xkb_context_new(XKB_CONTEXT_NO_FLAGS)) {
    if (!m_xkb) throw DisplayError("xkbcommon cannot be started");
    // The user's cursor theme and size, as other clients read them.
    const char* size = std::getenv("XCURSOR_SIZE");
    int pixels = size != nullptr ? std::atoi(size) : 0;
    m_cursor_theme.reset(wl_cursor_theme_load(
        std::getenv("XCURSOR_THEME"), pixels > 0 && pixels <= 256 ? pixels : 24, display.shm()));
    if (m_cursor_theme) {
        wl_cursor* arrow = wl_cursor_theme_get_cursor(m_cursor_theme.get(), "left_ptr");
        if (arrow != nullptr && arrow->image_count > 0) m_arrow = arrow->images[0];
    }
    m_seat.reset(display.bind_seat());
    static const wl_seat_listener seat_listener{capabilities, ignore};
    wl_seat_add_listener(m_seat.get(), &seat_listener, this);
}

void Seat::capabilities(void* data, wl_seat* seat, std::uint32_t caps) {
    auto& self = *static_cast<Seat*>(data);
    bool pointer = (caps & WL_SEAT_CAPABILITY_POINTER) != 0;
    if (pointer && !self.m_pointer) {
        self.m_pointer.reset(wl_seat_get_pointer(seat));
        static const wl_pointer_listener listener{pointer_enter, pointer_leave, motion, button,
                                                  ignore,        ignore,        ignore, ignore,
                                                  ignore,        ignore};
        wl_pointer_add_listener(self.m_pointer.get(), &listener, &self);
    } else if (!pointer) {
        self.m_pointer.reset();
        self.m_pointer_surface = nullptr;
    }
    bool keyboard = (caps & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
    if (keyboard && !self.m_keyboard) {
        self.m_keyboard.reset(wl_seat_get_keyboard(seat));
        static const wl_keyboard_listener listener{keymap, keyboard_enter, keyboard_leave,
                                                   key,    modifiers,      ignore};
        wl_keyboard_add_listener(self.m_keyboard.get(), &listener, &self);
    } else if (!keyboard) {
        self.m_keyboard.reset();
        self.m_keyboard_surface = nullptr;
    }
}

void Seat::forget(wl_surface* surface) {
    if (m_pointer_surface == surface) m_pointer_surface = nullptr;
    if (m_keyboard_surface == surface) m_keyboard_surface = nullptr;
}

void Seat::show_arrow(std::uint32_t serial) {
    if (m_arrow == nullptr || !m_pointer) return;
    if (!m_cursor_surface) {
        m_cursor_surface.reset(wl_compositor_create_surface(m_display.compositor()));
        wl_surface_attach(m_cursor_surface.get(), wl_cursor_image_get_buffer(m_arrow), 0, 0);
        wl_surface_damage(m_cursor_surface.get(), 0, 0, static_cast<std::int32_t>(m_arrow->width),
                          static_cast<std::int32_t>(m_arrow->height));
        wl_surface_commit(m_cursor_surface.get());
    }
    wl_pointer_set_cursor(m_pointer.get(), serial, m_cursor_surface.get(),
                          static_cast<std::int32_t>(m_arrow->hotspot_x),
                          static_cast<std::int32_t>(m_arrow->hotspot_y));
}

Modifiers Seat::modifier_state() const {
    Modifiers modifiers = m_buttons;
    if (!m_state) return modifiers;
    auto active = [&](const char* name) {
        return xkb_state_mod_name_is_active(m_state.get(), name, XKB_STATE_MODS_EFFECTIVE) > 0;
    };
    if (active(XKB_MOD_NAME_SHIFT)) modifiers |= Shift;
    if (active(XKB_MOD_NAME_CTRL)) modifiers |= Ctrl;
    if (active(XKB_MOD_NAME_ALT)) modifiers |= Alt;
    return modifiers;
}

void Seat::send_pointer(MouseInput::Action action, Button button, std::uint32_t time) {
    if (m_pointer_surface == nullptr) return;
    m_listener.pointer({m_pointer_surface, action, button, m_pointer_at, modifier_state(), time});
}

// Entering tells where the pointer is, as a move would.
void Seat::pointer_enter(void* data, wl_pointer* /*pointer*/, std::uint32_t serial,
                         wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
    auto& self = *static_cast<Seat*>(data);
    self.m_pointer_surface = surface;
    self.m_pointer_at = point_of(x, y);
    self.show_arrow(serial);
    self.send_pointer(MouseInput::Action::Move, Button::Left, 0);
}

void Seat::pointer_leave(void* data, wl_pointer* /*pointer*/, std::uint32_t /*serial*/,
                         wl_surface* /*surface*/) {
    static_cast<Seat*>(data)->m_pointer_surface = nullptr;
}

void Seat::motion(void* data, wl_pointer* /*pointer*/, std::uint32_t time, wl_fixed_t x,
                  wl_fixed_t y) {
    auto& self = *static_cast<Seat*>(data);
    self.m_pointer_at = point_of(x, y);
    self.send_pointer(MouseInput::Action::Move, Button::Left, time);
}

void Seat::button(void* data, wl_pointer* /*pointer*/, std::uint32_t /*serial*/, std::uint32_t time,
                  std::uint32_t code, std::uint32_t state) {
    auto& self = *static_cast<Seat*>(data);
    std::optional<Button> which = button_of(code);
    if (!which) return;
    bool pressed = state == WL_POINTER_BUTTON_STATE_PRESSED;
    if (pressed) {
        self.m_buttons |= held_bit(*which);
    } else {
        self.m_buttons &= ~held_bit(*which);
    }
    self.send_pointer(pressed ? MouseInput::Action::Down : MouseInput::Action::Up, *which, time);
}

void Seat::keymap(void* data, wl_keyboard* /*keyboard*/, std::uint32_t format, std::int32_t fd,
                  std::uint32_t size) {
    auto& self = *static_cast<Seat*>(data);
    FileHandle file(fd);
    if (format != WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 || size == 0) return;
    Mapping text(fd, size, Mapping::Access::PrivateReadOnly);
    Owned<xkb_keymap, xkb_keymap_unref> keymap(
        xkb_keymap_new_from_buffer(self.m_xkb.get(), text.text(), size - 1,
                                   XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap) return;
    Owned<xkb_state, xkb_state_unref> state(xkb_state_new(keymap.get()));
    if (!state) return;
    self.m_keymap = std::move(keymap);
    self.m_state = std::move(state);
}

void Seat::keyboard_enter(void* data, wl_keyboard* /*keyboard*/, std::uint32_t /*serial*/,
                          wl_surface* surface, wl_array* /*keys*/) {
    auto& self = *static_cast<Seat*>(data);
    self.m_keyboard_surface = surface;
    self.m_listener.keyboard_focus(surface);
}

void Seat::keyboard_leave(void* data, wl_keyboard* /*keyboard*/, std::uint32_t /*serial*/,
                          wl_surface* /*surface*/) {
    auto& self = *static_cast<Seat*>(data);
    self.m_keyboard_surface = nullptr;
    self.m_listener.keyboard_focus(nullptr);
}

// Key presses only; the program acts on none of the releases.
void Seat::key(void* data, wl_keyboard* /*keyboard*/, std::uint32_t /*serial*/, std::uint32_t time,
               std::uint32_t key, std::uint32_t state) {
    auto& self = *static_cast<Seat*>(data);
    if (state != WL_KEYBOARD_KEY_STATE_PRESSED || !self.m_state || !self.m_keyboard_surface) return;
    xkb_keysym_t keysym = xkb_state_key_get_one_sym(self.m_state.get(), key + 8);  // evdev to X
    self.m_listener.key({self.m_keyboard_surface, keysym, self.modifier_state(), time});
}

void Seat::modifiers(void* data, wl_keyboard* /*keyboard*/, std::uint32_t /*serial*/,
                     std::uint32_t depressed, std::uint32_t latched, std::uint32_t locked,
                     std::uint32_t group) {
    auto& self = *static_cast<Seat*>(data);
    if (self.m_state)
        xkb_state_update_mask(self.m_state.get(), depressed, latched, locked, 0, 0, group);
}

}  // namespace osyl::wayland
