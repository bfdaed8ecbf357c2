#include "platform/errors.h"
#include "platform/posix/keysyms.h"
#include "platform/process.h"
#include "platform/x11/x11_backend_impl.h"
#include "platform/x11/x11_keys.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <ctime>

namespace osyl::x11 {

namespace {

template <class T>
const T& as(const xcb_generic_event_t& event) {
    return reinterpret_cast<const T&>(event);
}

Modifiers modifiers_of(std::uint16_t state) {
    Modifiers modifiers = 0;
    if (state & XCB_MOD_MASK_SHIFT) modifiers |= Shift;
    if (state & XCB_MOD_MASK_CONTROL) modifiers |= Ctrl;
    if (state & XCB_MOD_MASK_1) modifiers |= Alt;
    if (state & XCB_BUTTON_MASK_1) modifiers |= LeftHeld;
    if (state & XCB_BUTTON_MASK_2) modifiers |= MiddleHeld;
    if (state & XCB_BUTTON_MASK_3) modifiers |= RightHeld;
    return modifiers;
}

std::optional<Button> button_of(xcb_button_t detail) {
    switch (detail) {
        case 1: return Button::Left;
        case 2: return Button::Middle;
        case 3: return Button::Right;
        default: return std::nullopt;  // wheel and extra buttons
    }
}

// A focus notification that is about our window itself, not the pointer or a grab.
bool real_focus_change(std::uint8_t mode, std::uint8_t detail) {
    return (mode == XCB_NOTIFY_MODE_NORMAL || mode == XCB_NOTIFY_MODE_WHILE_GRABBED) &&
           detail != XCB_NOTIFY_DETAIL_INFERIOR && detail <= XCB_NOTIFY_DETAIL_NONLINEAR_VIRTUAL;
}

}  // namespace

// Reads the socket only when poll() said it has data: a timer wake-up then costs one
// poll() and no failing reads.
std::optional<Event> X11Backend::next_event(std::optional<std::int64_t> deadline_ms) {
    bool readable = false;
    for (;;) {
        if (m_conn.has_error()) {
            if (!std::exchange(m_lost, true)) write_lost_display();
            return QuitRequest{};
        }
        if (auto event = drain(readable)) return event;
        m_conn.flush();
        // Writing, xcb also reads what the server sent meanwhile, which then no longer
        // makes the socket readable.
        if (auto event = drain(false)) return event;
        switch (m_wait.wait(m_conn.fd(), deadline_ms)) {
            case posix::EventWait::Woke::Display: readable = true; break;
            case posix::EventWait::Woke::Deadline: return std::nullopt;
            case posix::EventWait::Woke::SettingsChanged: return SettingsChanged{};
            case posix::EventWait::Woke::Quit: return QuitRequest{};
        }
    }
}

XReply<xcb_generic_event_t> X11Backend::next_queued(bool read_socket) {
    if (!m_held.empty()) {
        XReply<xcb_generic_event_t> event = std::move(m_held.front());
        m_held.pop_front();
        return event;
    }
    return XReply<xcb_generic_event_t>{read_socket ? xcb_poll_for_event(m_conn.get())
                                                   : xcb_poll_for_queued_event(m_conn.get())};
}

std::optional<Event> X11Backend::drain(bool read_socket) {
    for (;;) {
        XReply<xcb_generic_event_t> event = next_queued(read_socket);
        if (!event) return std::nullopt;
        if (auto translated = translate(*event)) return translated;
    }
}

std::optional<Event> X11Backend::translate(const xcb_generic_event_t& event) {
    bool synthetic = (event.response_type & 0x80) != 0;
    switch (event.response_type & 0x7f) {
        case 0: write_x_error(as<xcb_generic_error_t>(event)); return std::nullopt;
        case XCB_BUTTON_PRESS: return on_button(as<xcb_button_press_event_t>(event), true);
        case XCB_BUTTON_RELEASE: return on_button(as<xcb_button_release_event_t>(event), false);
        case XCB_MOTION_NOTIFY: return on_motion(as<xcb_motion_notify_event_t>(event));
        case XCB_KEY_PRESS: return on_key(as<xcb_key_press_event_t>(event));
        case XCB_CLIENT_MESSAGE: return on_client_message(as<xcb_client_message_event_t>(event));
        case XCB_FOCUS_IN: return on_focus(as<xcb_focus_in_event_t>(event), true);
        case XCB_FOCUS_OUT: return on_focus(as<xcb_focus_out_event_t>(event), false);
        case XCB_EXPOSE: on_expose(as<xcb_expose_event_t>(event)); return std::nullopt;
        case XCB_MAP_NOTIFY:
            if (synthetic) return std::nullopt;
            return on_map_change(as<xcb_map_notify_event_t>(event).window, true);
        case XCB_UNMAP_NOTIFY:
            if (synthetic) return std::nullopt;
            return on_map_change(as<xcb_unmap_notify_event_t>(event).window, false);
        case XCB_CONFIGURE_NOTIFY:
            on_configure(as<xcb_configure_notify_event_t>(event), synthetic);
            return std::nullopt;
        case XCB_REPARENT_NOTIFY:
            if (TopWindow* window = find_window(as<xcb_reparent_notify_event_t>(event).window)) {
                Rect now = window->actual().value_or(window->bounds());
                locate(*window, now.width, now.height);
            }
            return std::nullopt;
        case XCB_MAPPING_NOTIFY: m_keysyms.reset(); return std::nullopt;  // asked again when used
        default: return std::nullopt;
    }
}

std::optional<Event> X11Backend::on_button(const xcb_button_press_event_t& event, bool press) {
    if (find_window(event.event) != nullptr || find_box(event.event).second != nullptr) {
        m_user_time = event.time;
    }
    if (auto [box, window] = find_box(event.event); window != nullptr) {
        Point at{event.event_x, event.event_y};
        if (press) {
            window->button_press(at);
        } else if (window->button_release(at)) {
            return dismiss(box);
        }
        return std::nullopt;
    }
    std::optional<Button> button = button_of(event.detail);
    if (find_window(event.event) == nullptr || !button) return std::nullopt;
    saw_pointer(event.event, {event.root_x, event.root_y}, {event.event_x, event.event_y});
    MouseInput input;
    input.action = press ? MouseInput::Action::Down : MouseInput::Action::Up;
    input.button = *button;
    input.screen = {event.root_x, event.root_y};
    input.window = event.event;
    input.position = {event.event_x, event.event_y};
    // X reports the state before the event; the handlers expect it after.
    input.modifiers = modifiers_of(event.state);
    if (press) {
        input.modifiers |= held_bit(*button);
    } else {
        input.modifiers &= ~held_bit(*button);
    }
    input.time = event.time;
    return input;
}

std::optional<Event> X11Backend::on_motion(const xcb_motion_notify_event_t& event) {
    if (find_window(event.event) == nullptr) return std::nullopt;
    saw_pointer(event.event, {event.root_x, event.root_y}, {event.event_x, event.event_y});
    MouseInput input;
    input.action = MouseInput::Action::Move;
    input.screen = {event.root_x, event.root_y};
    input.window = event.event;
    input.position = {event.event_x, event.event_y};
    input.modifiers = modifiers_of(event.state);
    input.time = event.time;
    return input;
}

std::uint32_t X11Backend::keysym_of(const xcb_key_press_event_t& event) {
    if (!m_keysyms) read_keyboard();
    KeyState state;
    state.shift = (event.state & XCB_MOD_MASK_SHIFT) != 0;
    state.caps_lock = (event.state & XCB_MOD_MASK_LOCK) != 0;
    state.num_lock = m_num_lock_mask != 0 && (event.state & m_num_lock_mask) != 0;
    return choose_keysym(xcb_key_symbols_get_keysym(m_keysyms.get(), event.detail, 0),
                         xcb_key_symbols_get_keysym(m_keysyms.get(), event.detail, 1), state);
}

std::optional<Event> X11Backend::on_key(const xcb_key_press_event_t& event) {
    if (find_window(event.event) != nullptr || find_box(event.event).second != nullptr) {
        m_user_time = event.time;
    }
    if (auto [box, window] = find_box(event.event); window != nullptr) {
        if (window->key_press(keysym_of(event))) return dismiss(box);
        return std::nullopt;
    }
    if (find_window(event.event) == nullptr) return std::nullopt;
    return KeyInput{event.event, posix::virtual_key_code(keysym_of(event)),
                    modifiers_of(event.state), event.time};
}

std::optional<Event> X11Backend::on_client_message(const xcb_client_message_event_t& event) {
    if (event.type != m_conn.atom(Atom::WmProtocols) || event.format != 32 ||
        event.data.data32[0] != m_conn.atom(Atom::WmDeleteWindow)) {
        return std::nullopt;
    }
    if (auto [box, window] = find_box(event.window); window != nullptr) return dismiss(box);
    if (find_window(event.window) == nullptr) return std::nullopt;
    return CloseRequest{event.window};
}

std::optional<Event> X11Backend::on_focus(const xcb_focus_in_event_t& event, bool in) {
    if (!real_focus_change(event.mode, event.detail) || find_window(event.event) == nullptr) {
        return std::nullopt;
    }
    if (in) return FocusChange{event.event};
    // When the focus moves to another window of ours, its FocusIn reports that.
    auto reply =
        m_conn.reply<xcb_get_input_focus_reply_t>(xcb_get_input_focus(m_conn.get()).sequence);
    if (reply && find_window(reply->focus) != nullptr) return std::nullopt;
    return FocusChange{0};
}

std::optional<Event> X11Backend::on_map_change(xcb_window_t id, bool mapped) {
    MapTracker* map = nullptr;
    TopWindow* window = find_window(id);
    if (window != nullptr) {
        map = &window->map_state();
    } else if (auto [box, box_window] = find_box(id); box_window != nullptr) {
        map = &box_window->map_state();
    } else {
        return std::nullopt;
    }
    bool by_window_manager = map->notified(mapped);
    if (mapped) give_cursor();
    if (mapped && m_pending_focus && m_pending_focus->window == id) {
        PendingFocus pending = *std::exchange(m_pending_focus, std::nullopt);
        request_focus(id, *map, pending.time);
    }
    if (window == nullptr || !by_window_manager) return std::nullopt;
    return VisibilityChange{id, mapped};
}

// Each exposed rectangle of a window comes back from its copy on the server; a box is
// drawn again once the last of them arrived.
void X11Backend::on_expose(const xcb_expose_event_t& event) {
    if (TopWindow* window = find_window(event.window)) {
        window->repaint({event.x, event.y, event.width, event.height});
    } else if (auto [box, box_window] = find_box(event.window);
               box_window != nullptr && event.count == 0) {
        box_window->draw();
    }
}

// A window manager that moves the frame sends a synthetic notification in screen
// coordinates; a real one is relative to the parent, which may be a frame.
void X11Backend::on_configure(const xcb_configure_notify_event_t& event, bool synthetic) {
    TopWindow* window = find_window(event.window);
    if (window == nullptr || event.event != event.window) return;
    if (synthetic) {
        window->set_actual({event.x, event.y, event.width, event.height});
    } else {
        locate(*window, event.width, event.height);
    }
}

void X11Backend::locate(TopWindow& window, int width, int height) {
    auto cookie = xcb_translate_coordinates(m_conn.get(), window.id(), m_conn.root(), 0, 0);
    xcb_generic_error_t* error = nullptr;
    auto reply = m_conn.reply<xcb_translate_coordinates_reply_t>(cookie.sequence, &error);
    XReply<xcb_generic_error_t> owned_error{error};
    if (error) write_x_error(*error);
    if (reply) window.set_actual({reply->dst_x, reply->dst_y, width, height});
}

// Every pointer event tells exactly where its window is: the screen position less the
// position in the window.
void X11Backend::saw_pointer(xcb_window_t id, Point root, Point in_window) {
    TopWindow* window = find_window(id);
    if (window == nullptr) return;
    Rect now = window->actual().value_or(window->bounds());
    window->set_actual({root.x - in_window.x, root.y - in_window.y, now.width, now.height});
}

}  // namespace osyl::x11
