#include "platform/x11/x11_backend.h"

#include "platform/errors.h"
#include "platform/process.h"
#include "platform/x11/clock_watch.h"
#include "platform/x11/message_box.h"
#include "platform/x11/signal_watch.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_keys.h"
#include "platform/x11/x11_window.h"

#include <xcb/xcb_keysyms.h>

#include <poll.h>
#include <unistd.h>

#define XK_MISCELLANY
#include <X11/keysymdef.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <ctime>
#include <map>
#include <utility>
#include <vector>

namespace osyl {

namespace x11 {

namespace {

template <class T>
const T& as(const xcb_generic_event_t& event) {
    return reinterpret_cast<const T&>(event);
}

struct KeySymbolsFree {
    void operator()(xcb_key_symbols_t* symbols) const { xcb_key_symbols_free(symbols); }
};
using KeySymbols = std::unique_ptr<xcb_key_symbols_t, KeySymbolsFree>;

// The arrow of the standard cursor font (XC_left_ptr); its mask is the next glyph.
constexpr std::uint16_t left_ptr_glyph = 68;

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

Modifiers held_bit(Button button) {
    switch (button) {
        case Button::Left: return LeftHeld;
        case Button::Middle: return MiddleHeld;
        case Button::Right: return RightHeld;
    }
    return 0;
}

// A focus notification that is about our window itself, not the pointer or a grab.
bool real_focus_change(std::uint8_t mode, std::uint8_t detail) {
    return (mode == XCB_NOTIFY_MODE_NORMAL || mode == XCB_NOTIFY_MODE_WHILE_GRABBED) &&
           detail != XCB_NOTIFY_DETAIL_INFERIOR && detail <= XCB_NOTIFY_DETAIL_NONLINEAR_VIRTUAL;
}

class X11Backend final : public Backend {
public:
    X11Backend();

    WindowId create_window(const WindowSpec& spec) override;
    void destroy_window(WindowId window) override;
    void set_bounds(WindowId window, Rect bounds) override;
    void show_window(WindowId window) override;
    void hide_window(WindowId window) override;
    void activate(WindowId window, std::uint32_t time) override;
    void present(WindowId window, Picture pixels) override;
    BoxId open_message_box(const MessageBoxSpec& spec) override;
    void close_message_box(BoxId box) override;
    std::optional<Event> next_event(std::optional<std::int64_t> deadline_ms) override;
    std::int64_t now_ms() override { return wall_clock_ms(); }
    LocalTime local_time(std::int64_t epoch_ms) override { return local_time_of(epoch_ms); }
    LocaleValues locale_values() override { return read_locale_values(); }
    std::string executable_path() override { return current_executable_path(); }

private:
    struct PendingFocus {
        xcb_window_t window = 0;
        std::uint32_t time = 0;
    };

    void create_cursor();
    void open_box_font();
    void create_leader();
    void read_num_lock_mask();
    WindowBase base() const { return {m_leader.id(), m_cursor.id(), m_gc.id()}; }
    TopWindow* find_window(xcb_window_t id);
    std::pair<BoxId, MessageBox*> find_box(xcb_window_t id);
    void request_focus(xcb_window_t window, const MapTracker& map, std::uint32_t time);
    void focus_now(xcb_window_t window, std::uint32_t time);
    void remove_box(BoxId box);

    std::optional<Event> drain(bool read_socket);
    std::optional<Event> translate(const xcb_generic_event_t& event);
    std::optional<Event> on_button(const xcb_button_press_event_t& event, bool press);
    std::optional<Event> on_motion(const xcb_motion_notify_event_t& event);
    std::optional<Event> on_key(const xcb_key_press_event_t& event);
    std::optional<Event> on_client_message(const xcb_client_message_event_t& event);
    std::optional<Event> on_focus(const xcb_focus_in_event_t& event, bool in);
    std::optional<Event> on_map_change(xcb_window_t id, bool mapped);
    void on_expose(const xcb_expose_event_t& event);
    Event dismiss(BoxId box);
    std::uint32_t keysym_of(const xcb_key_press_event_t& event) const;

    Connection m_conn;  // first: everything below sends requests on it
    SignalWatch m_signals;
    ClockWatch m_clock;
    XOwned<xcb_free_cursor> m_cursor;
    XOwned<xcb_close_font> m_box_font_id;
    BoxFont m_box_font;
    XOwned<xcb_free_gc> m_gc;
    XOwned<xcb_destroy_window> m_leader;
    KeySymbols m_keysyms;
    std::uint16_t m_num_lock_mask = 0;
    std::map<xcb_window_t, std::unique_ptr<TopWindow>> m_windows;
    xcb_window_t m_main = 0;
    std::map<BoxId, std::unique_ptr<MessageBox>> m_boxes;
    BoxId m_next_box = 1;
    std::optional<PendingFocus> m_pending_focus;
};

X11Backend::X11Backend() {
    create_cursor();
    open_box_font();
    xcb_gcontext_t gc = m_conn.generate_id();
    std::uint32_t no_exposures = 0;
    xcb_create_gc(m_conn.get(), gc, m_conn.root(), XCB_GC_GRAPHICS_EXPOSURES, &no_exposures);
    m_gc = XOwned<xcb_free_gc>(m_conn.get(), gc);
    create_leader();
    m_keysyms.reset(xcb_key_symbols_alloc(m_conn.get()));
    if (!m_keysyms) throw DisplayError("The X display closed the connection");
    read_num_lock_mask();
}

void X11Backend::create_cursor() {
    xcb_font_t font = m_conn.generate_id();
    xcb_open_font(m_conn.get(), font, 6, "cursor");
    XOwned<xcb_close_font> cursor_font(m_conn.get(), font);
    xcb_cursor_t cursor = m_conn.generate_id();
    xcb_create_glyph_cursor(m_conn.get(), cursor, font, font, left_ptr_glyph, left_ptr_glyph + 1, 0,
                            0, 0, 0xFFFF, 0xFFFF, 0xFFFF);
    m_cursor = XOwned<xcb_free_cursor>(m_conn.get(), cursor);
}

void X11Backend::open_box_font() {
    xcb_font_t font = m_conn.generate_id();
    auto opened = xcb_open_font_checked(m_conn.get(), font, 5, "fixed");
    auto query = xcb_query_font(m_conn.get(), font);
    XReply<xcb_generic_error_t> error{xcb_request_check(m_conn.get(), opened)};
    XReply<xcb_query_font_reply_t> metrics{xcb_query_font_reply(m_conn.get(), query, nullptr)};
    if (error || !metrics) throw DisplayError("The X display has no font \"fixed\"");
    m_box_font_id = XOwned<xcb_close_font>(m_conn.get(), font);
    m_box_font = {font, metrics->font_ascent, metrics->font_descent,
                  std::max<int>(metrics->max_bounds.character_width, 1)};
}

// The hidden window that groups ours for the window manager, as the owner of the
// program's windows.
void X11Backend::create_leader() {
    xcb_window_t leader = m_conn.generate_id();
    xcb_create_window(m_conn.get(), XCB_COPY_FROM_PARENT, leader, m_conn.root(), 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    m_leader = XOwned<xcb_destroy_window>(m_conn.get(), leader);
    set_common_properties(m_conn, leader, leader);
}

void X11Backend::read_num_lock_mask() {
    m_num_lock_mask = 0;
    auto cookie = xcb_get_modifier_mapping(m_conn.get());
    XReply<xcb_get_modifier_mapping_reply_t> reply{
        xcb_get_modifier_mapping_reply(m_conn.get(), cookie, nullptr)};
    XReply<xcb_keycode_t> num_lock{xcb_key_symbols_get_keycode(m_keysyms.get(), XK_Num_Lock)};
    if (!reply || !num_lock) return;
    auto is_num_lock = [&](xcb_keycode_t code) {
        for (const xcb_keycode_t* k = num_lock.get(); *k != XCB_NO_SYMBOL; ++k) {
            if (*k == code) return true;
        }
        return false;
    };
    // Eight modifiers, each with the same number of key slots (0 for an empty slot).
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(reply.get());
    int per_modifier = reply->keycodes_per_modifier;
    for (int slot = 0; slot < 8 * per_modifier; ++slot) {
        if (codes[slot] != 0 && is_num_lock(codes[slot])) {
            m_num_lock_mask = static_cast<std::uint16_t>(1 << (slot / per_modifier));
        }
    }
}

TopWindow* X11Backend::find_window(xcb_window_t id) {
    auto it = m_windows.find(id);
    return it == m_windows.end() ? nullptr : it->second.get();
}

std::pair<BoxId, MessageBox*> X11Backend::find_box(xcb_window_t id) {
    for (auto& [box, window] : m_boxes) {
        if (window->id() == id) return {box, window.get()};
    }
    return {0, nullptr};
}

WindowId X11Backend::create_window(const WindowSpec& spec) {
    xcb_window_t owner = m_main != 0 ? m_main : m_leader.id();
    auto window = std::make_unique<TopWindow>(m_conn, base(), spec, owner);
    xcb_window_t id = window->id();
    m_windows.emplace(id, std::move(window));
    if (spec.role == WindowRole::Main && m_main == 0) m_main = id;
    return id;
}

void X11Backend::destroy_window(WindowId window) {
    if (m_pending_focus && m_pending_focus->window == window) m_pending_focus.reset();
    if (m_main == window) m_main = 0;
    m_windows.erase(window);
}

void X11Backend::set_bounds(WindowId window, Rect bounds) {
    if (TopWindow* w = find_window(window)) w->set_bounds(bounds);
}

void X11Backend::show_window(WindowId window) {
    if (TopWindow* w = find_window(window)) w->show();
}

void X11Backend::hide_window(WindowId window) {
    if (m_pending_focus && m_pending_focus->window == window) m_pending_focus.reset();
    if (TopWindow* w = find_window(window)) w->hide();
}

void X11Backend::activate(WindowId window, std::uint32_t time) {
    TopWindow* w = find_window(window);
    if (w == nullptr) return;
    std::uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(m_conn.get(), window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    request_focus(window, w->map_state(), time);
}

void X11Backend::present(WindowId window, Picture pixels) {
    if (TopWindow* w = find_window(window)) w->present(std::move(pixels));
}

// A window that is not viewable yet cannot take the focus: it gets it once it is mapped.
void X11Backend::request_focus(xcb_window_t window, const MapTracker& map, std::uint32_t time) {
    if (!map.will_be_mapped()) return;
    if (map.mapped()) {
        focus_now(window, time);
    } else {
        m_pending_focus = PendingFocus{window, time};
    }
}

void X11Backend::focus_now(xcb_window_t window, std::uint32_t time) {
    if (m_conn.wm_supports(Atom::NetActiveWindow)) {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = m_conn.atom(Atom::NetActiveWindow);
        message.data.data32[0] = 1;  // source: an application
        message.data.data32[1] = time;
        send_to_root(m_conn, &message, sizeof message);
    } else {
        xcb_set_input_focus(m_conn.get(), XCB_INPUT_FOCUS_PARENT, window, time);
    }
}

BoxId X11Backend::open_message_box(const MessageBoxSpec& spec) {
    xcb_window_t owner = find_window(spec.owner) != nullptr ? spec.owner : m_leader.id();
    BoxId id = m_next_box++;
    auto box = std::make_unique<MessageBox>(m_conn, base(), m_box_font, spec, owner);
    request_focus(box->id(), box->map_state(), XCB_CURRENT_TIME);
    m_boxes.emplace(id, std::move(box));
    return id;
}

void X11Backend::close_message_box(BoxId box) { remove_box(box); }

// The newest box left, if any, takes the keyboard back, since without a window manager
// nobody else would give it.
void X11Backend::remove_box(BoxId box) {
    auto it = m_boxes.find(box);
    if (it == m_boxes.end()) return;
    if (m_pending_focus && m_pending_focus->window == it->second->id()) m_pending_focus.reset();
    m_boxes.erase(it);
    if (!m_boxes.empty()) {
        MessageBox& top = *m_boxes.rbegin()->second;
        request_focus(top.id(), top.map_state(), XCB_CURRENT_TIME);
    }
}

Event X11Backend::dismiss(BoxId box) {
    remove_box(box);
    return BoxDismissed{box};
}

// Reads the socket only when poll() said it has data: a timer wake-up then costs one
// poll() and no failing reads. The deadline is a wall-clock alarm, so a clock set while
// waiting wakes the loop at once and the core ticks again.
std::optional<Event> X11Backend::next_event(std::optional<std::int64_t> deadline_ms) {
    bool readable = false;
    for (;;) {
        if (m_conn.has_error()) return QuitRequest{};
        if (auto event = drain(readable)) return event;
        m_conn.flush();
        if (m_clock.arm(deadline_ms) == ClockWatch::Fired::ClockSet) return SettingsChanged{};
        std::array<pollfd, 3> fds{
            {{m_conn.fd(), POLLIN, 0}, {m_signals.fd(), POLLIN, 0}, {m_clock.fd(), POLLIN, 0}}};
        if (poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) throw SystemError(errno);
        readable = (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
        if ((fds[2].revents & POLLIN) != 0) {
            ClockWatch::Fired fired = m_clock.take();
            if (fired == ClockWatch::Fired::Deadline) return std::nullopt;
            if (fired == ClockWatch::Fired::ClockSet) return SettingsChanged{};
        }
        if ((fds[1].revents & POLLIN) == 0) continue;
        if (std::optional<int> signal = m_signals.take()) {
            if (*signal != SIGHUP) return QuitRequest{};
            tzset();
            return SettingsChanged{};
        }
    }
}

std::optional<Event> X11Backend::drain(bool read_socket) {
    for (;;) {
        XReply<xcb_generic_event_t> event{read_socket ? xcb_poll_for_event(m_conn.get())
                                                      : xcb_poll_for_queued_event(m_conn.get())};
        if (!event) return std::nullopt;
        if (auto translated = translate(*event)) return translated;
    }
}

std::optional<Event> X11Backend::translate(const xcb_generic_event_t& event) {
    bool synthetic = (event.response_type & 0x80) != 0;
    switch (event.response_type & 0x7f) {
        case 0: return std::nullopt;  // an error: a request on a window that went away
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
        case XCB_MAPPING_NOTIFY: {
            auto mapping = as<xcb_mapping_notify_event_t>(event);
            xcb_refresh_keyboard_mapping(m_keysyms.get(), &mapping);
            read_num_lock_mask();
            return std::nullopt;
        }
        default: return std::nullopt;
    }
}

std::optional<Event> X11Backend::on_button(const xcb_button_press_event_t& event, bool press) {
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
    MouseInput input;
    input.action = press ? MouseInput::Action::Down : MouseInput::Action::Up;
    input.button = *button;
    input.screen = {event.root_x, event.root_y};
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
    MouseInput input;
    input.action = MouseInput::Action::Move;
    input.screen = {event.root_x, event.root_y};
    input.modifiers = modifiers_of(event.state);
    input.time = event.time;
    return input;
}

std::uint32_t X11Backend::keysym_of(const xcb_key_press_event_t& event) const {
    KeyState state;
    state.shift = (event.state & XCB_MOD_MASK_SHIFT) != 0;
    state.caps_lock = (event.state & XCB_MOD_MASK_LOCK) != 0;
    state.num_lock = m_num_lock_mask != 0 && (event.state & m_num_lock_mask) != 0;
    return choose_keysym(xcb_key_symbols_get_keysym(m_keysyms.get(), event.detail, 0),
                         xcb_key_symbols_get_keysym(m_keysyms.get(), event.detail, 1), state);
}

std::optional<Event> X11Backend::on_key(const xcb_key_press_event_t& event) {
    if (auto [box, window] = find_box(event.event); window != nullptr) {
        if (window->key_press(keysym_of(event))) return dismiss(box);
        return std::nullopt;
    }
    if (find_window(event.event) == nullptr) return std::nullopt;
    return KeyInput{event.event, virtual_key_code(keysym_of(event)), modifiers_of(event.state)};
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
    auto cookie = xcb_get_input_focus(m_conn.get());
    XReply<xcb_get_input_focus_reply_t> reply{
        xcb_get_input_focus_reply(m_conn.get(), cookie, nullptr)};
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
    if (mapped && m_pending_focus && m_pending_focus->window == id) {
        PendingFocus pending = *std::exchange(m_pending_focus, std::nullopt);
        request_focus(id, *map, pending.time);
    }
    if (window == nullptr || !by_window_manager) return std::nullopt;
    return VisibilityChange{id, mapped};
}

void X11Backend::on_expose(const xcb_expose_event_t& event) {
    if (event.count != 0) return;
    if (TopWindow* window = find_window(event.window)) {
        window->repaint();
    } else if (auto [box, box_window] = find_box(event.window); box_window != nullptr) {
        box_window->draw();
    }
}

}  // namespace

}  // namespace x11

std::unique_ptr<Backend> make_x11_backend() { return std::make_unique<x11::X11Backend>(); }

}  // namespace osyl
