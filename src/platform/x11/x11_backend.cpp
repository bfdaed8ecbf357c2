#include "platform/x11/x11_backend.h"

#include "platform/errors.h"
#include "platform/process.h"
#include "platform/x11/x11_backend_impl.h"

#define XK_MISCELLANY
#include <X11/keysymdef.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

namespace osyl {

namespace x11 {

namespace {

// The arrow of the standard cursor font (XC_left_ptr); its mask is the next glyph.
constexpr std::uint16_t left_ptr_glyph = 68;

constexpr const char* unicode_fixed =
    "-misc-fixed-medium-r-semicondensed--13-120-75-75-c-60-iso10646-1";

posix::FontCoverage coverage_of(const xcb_query_font_reply_t& font) {
    posix::FontCoverage coverage{
        font.min_byte1, font.max_byte1, font.min_char_or_byte2, font.max_char_or_byte2, {}};
    // A glyph the font lacks has all-zero metrics.
    const xcb_charinfo_t* infos = xcb_query_font_char_infos(&font);
    int count = xcb_query_font_char_infos_length(&font);
    coverage.missing.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const xcb_charinfo_t& info = infos[i];
        coverage.missing[static_cast<std::size_t>(i)] =
            info.character_width == 0 && info.left_side_bearing == 0 &&
            info.right_side_bearing == 0 && info.ascent == 0 && info.descent == 0;
    }
    return coverage;
}

}  // namespace

// Only what the first frame needs goes to the server here: the pointer's arrow, the
// report font and the keyboard map are asked for later.
X11Backend::X11Backend() {
    load_time_zone();
    std::uint32_t no_exposures = 0;
    m_gc = m_conn.create_gc(XCB_GC_GRAPHICS_EXPOSURES, &no_exposures);
    create_leader();
}

// The arrow is made once the first window is on the screen, off the way to the first
// frame. A server without the cursor font leaves our windows with their parent's pointer.
void X11Backend::give_cursor() {
    if (std::exchange(m_cursor_tried, true)) return;
    xcb_font_t font = m_conn.generate_id();
    xcb_cursor_t cursor = m_conn.generate_id();
    auto opened = xcb_open_font_checked(m_conn.get(), font, 6, "cursor");
    auto made =
        xcb_create_glyph_cursor_checked(m_conn.get(), cursor, font, font, left_ptr_glyph,
                                        left_ptr_glyph + 1, 0, 0, 0, 0xFFFF, 0xFFFF, 0xFFFF);
    XReply<xcb_generic_error_t> open_error{xcb_request_check(m_conn.get(), opened)};
    XReply<xcb_generic_error_t> make_error{xcb_request_check(m_conn.get(), made)};
    if (!open_error) xcb_close_font(m_conn.get(), font);
    if (open_error || make_error) return;
    m_cursor = XOwned<xcb_free_cursor>(m_conn.get(), cursor);
    for (const auto& [id, window] : m_windows) set_cursor(id);
    for (const auto& [id, box] : m_boxes) set_cursor(box->id());
}

void X11Backend::set_cursor(xcb_window_t window) {
    std::uint32_t cursor = m_cursor.id();
    xcb_change_window_attributes(m_conn.get(), window, XCB_CW_CURSOR, &cursor);
}

// The ISO 10646 cell font of the same 6 x 13 cell as "fixed" shows UTF-8 text; the plain
// "fixed" of a server without it shows Latin-1, and "?" for the rest.
const BoxFont& X11Backend::box_font() {
    if (std::exchange(m_box_font_tried, true)) return m_box_font;
    for (const char* name : {unicode_fixed, "fixed"}) {
        xcb_font_t font = m_conn.generate_id();
        auto opened = xcb_open_font_checked(m_conn.get(), font,
                                            static_cast<std::uint16_t>(std::strlen(name)), name);
        auto query = xcb_query_font(m_conn.get(), font);
        // A missing font is expected on some servers, not a fault: the fallback answers it.
        XReply<xcb_generic_error_t> error{xcb_request_check(m_conn.get(), opened)};
        xcb_generic_error_t* query_error = nullptr;
        XReply<xcb_query_font_reply_t> metrics{
            xcb_query_font_reply(m_conn.get(), query, &query_error)};
        XReply<xcb_generic_error_t> owned_query_error{query_error};
        if (error || !metrics) continue;
        m_box_font_id = XOwned<xcb_close_font>(m_conn.get(), font);
        m_box_font = {font, metrics->font_ascent, metrics->font_descent,
                      std::max<int>(metrics->max_bounds.character_width, 1), coverage_of(*metrics)};
        return m_box_font;
    }
    std::fputs("osyl: the X display has no font \"fixed\"; reports show no text\n", stderr);
    return m_box_font;
}

// The hidden window that groups ours for the window manager, as the owner of the
// program's windows.
void X11Backend::create_leader() {
    m_leader = create_top_level(m_conn, {}, {{0, 0, 1, 1}, XCB_EVENT_MASK_PROPERTY_CHANGE, true});
}

// Asked for at the first key press, and again after the keyboard map changed.
void X11Backend::read_keyboard() {
    m_keysyms.reset(xcb_key_symbols_alloc(m_conn.get()));
    if (!m_keysyms) throw DisplayError("The X display closed the connection");
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
    TopWindow* w = find_window(window);
    if (w != nullptr && !w->map_state().will_be_mapped()) w->show(user_time());
}

std::optional<Rect> X11Backend::actual_bounds(WindowId window) const {
    auto it = m_windows.find(window);
    return it == m_windows.end() ? std::nullopt : it->second->actual();
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
    if (TopWindow* w = find_window(window)) w->present(pixels);
}

void X11Backend::update(WindowId window, Rect area, const Picture& pixels) {
    if (TopWindow* w = find_window(window)) w->update(area, pixels);
}

// A window that is not viewable yet cannot take the focus: it gets it once it is mapped.
// Time 0: a fresh server time, asked for only when the request is sent.
void X11Backend::request_focus(xcb_window_t window, const MapTracker& map, std::uint32_t time) {
    if (!map.will_be_mapped()) return;
    if (map.mapped()) {
        focus_now(window, time);
    } else {
        m_pending_focus = PendingFocus{window, time};
    }
}

void X11Backend::focus_now(xcb_window_t window, std::uint32_t time) {
    if (time == 0) time = server_time();
    if (wm_takes_focus_requests()) {
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

// Asked afresh each time: with the answer kept, the focus request for a clicked window
// reached openbox while it still handled the click itself, and the click was lost.
bool X11Backend::wm_takes_focus_requests() const {
    return m_conn.wm_check() != 0 && m_conn.wm_lists(Atom::NetActiveWindow);
}

BoxId X11Backend::open_message_box(const MessageBoxSpec& spec) {
    xcb_window_t owner = find_window(spec.owner) != nullptr ? spec.owner : m_leader.id();
    BoxId id = m_next_box++;
    // A report may come from a timer, with no user event behind it.
    std::uint32_t time = server_time();
    const BoxFont& font = box_font();
    if (font.id == 0) std::fprintf(stderr, "osyl: %s\n", spec.text.c_str());
    auto box = std::make_unique<MessageBox>(m_conn, base(), font, spec, owner, time);
    request_focus(box->id(), box->map_state(), time);
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
        request_focus(top.id(), top.map_state(), 0);
    }
}

// A fresh server timestamp, got the usual way: a zero-length append to a property of the
// leader and the PropertyNotify it causes. Events that arrive meanwhile wait their turn.
// Another client may have destroyed the leader, and a server may stop answering: after
// the request's error, a second or a signal, CurrentTime has to do.
std::uint32_t X11Backend::server_time() {
    xcb_atom_t property = m_conn.atom(Atom::OsylTimestamp);
    auto cookie = xcb_change_property(m_conn.get(), XCB_PROP_MODE_APPEND, m_leader.id(), property,
                                      XCB_ATOM_INTEGER, 32, 0, nullptr);
    m_conn.flush();
    std::int64_t deadline = Connection::steady_ms() + Connection::answer_wait_ms;
    do {
        while (XReply<xcb_generic_event_t> event{xcb_poll_for_event(m_conn.get())}) {
            std::uint8_t type = event->response_type & 0x7f;
            const auto& notify = reinterpret_cast<const xcb_property_notify_event_t&>(*event);
            if (type == XCB_PROPERTY_NOTIFY && notify.window == m_leader.id() &&
                notify.atom == property)
                return notify.time;
            bool refused =
                type == 0 && reinterpret_cast<const xcb_generic_error_t&>(*event).full_sequence ==
                                 cookie.sequence;
            m_held.push_back(std::move(event));  // an error too: the loop writes it out
            if (refused) return XCB_CURRENT_TIME;
        }
    } while (m_conn.wait_readable(deadline));
    return XCB_CURRENT_TIME;
}

Event X11Backend::dismiss(BoxId box) {
    remove_box(box);
    return BoxDismissed{box};
}

}  // namespace x11

std::unique_ptr<Backend> make_x11_backend() { return std::make_unique<x11::X11Backend>(); }

}  // namespace osyl
