#pragma once

// Internal to the X11 backend: the backend class, whose event translation lives in
// x11_events.cpp and everything else in x11_backend.cpp.

#include "platform/backend.h"
#include "platform/posix/event_wait.h"
#include "platform/x11/message_box.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_window.h"

#include <xcb/xcb_keysyms.h>

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <utility>

namespace osyl::x11 {

struct KeySymbolsFree {
    void operator()(xcb_key_symbols_t* symbols) const { xcb_key_symbols_free(symbols); }
};
using KeySymbols = std::unique_ptr<xcb_key_symbols_t, KeySymbolsFree>;

// The backend on one X display: our windows and boxes by X id, focus requests that wait
// for a map, and the translation of X events into ours.
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
    void update(WindowId window, Rect area, const Picture& pixels) override;
    BoxId open_message_box(const MessageBoxSpec& spec) override;
    void close_message_box(BoxId box) override;
    // A box is a window of the program's own loop, which ticks.
    void set_modal_tick(ModalTick) override {}
    std::optional<Event> next_event(std::optional<std::int64_t> deadline_ms) override;
    std::int64_t now_ms() override { return wall_clock_ms(); }
    LocalTime local_time(std::int64_t epoch_ms) override { return local_time_of(epoch_ms); }
    LocaleValues locale_values() override { return read_locale_values(); }
    std::string executable_path() override { return current_executable_path(); }
    std::optional<Rect> actual_bounds(WindowId window) const override;

private:
    struct PendingFocus {
        xcb_window_t window = 0;
        std::uint32_t time = 0;
    };

    void give_cursor();
    void set_cursor(xcb_window_t window);
    const BoxFont& box_font();
    void create_leader();
    void read_keyboard();
    bool wm_takes_focus_requests() const;
    WindowBase base() const { return {m_leader.id(), m_cursor.id(), m_gc.id()}; }
    TopWindow* find_window(xcb_window_t id);
    std::pair<BoxId, MessageBox*> find_box(xcb_window_t id);
    void request_focus(xcb_window_t window, const MapTracker& map, std::uint32_t time);
    void focus_now(xcb_window_t window, std::uint32_t time);
    void remove_box(BoxId box);
    std::uint32_t server_time();
    std::uint32_t user_time() { return m_user_time != 0 ? m_user_time : server_time(); }

    std::optional<Event> drain(bool read_socket);
    XReply<xcb_generic_event_t> next_queued(bool read_socket);
    std::optional<Event> translate(const xcb_generic_event_t& event);
    std::optional<Event> on_button(const xcb_button_press_event_t& event, bool press);
    std::optional<Event> on_motion(const xcb_motion_notify_event_t& event);
    std::optional<Event> on_key(const xcb_key_press_event_t& event);
    std::optional<Event> on_client_message(const xcb_client_message_event_t& event);
    std::optional<Event> on_focus(const xcb_focus_in_event_t& event, bool in);
    std::optional<Event> on_map_change(xcb_window_t id, bool mapped);
    void on_expose(const xcb_expose_event_t& event);
    void on_configure(const xcb_configure_notify_event_t& event, bool synthetic);
    void locate(TopWindow& window, int width, int height);
    void saw_pointer(xcb_window_t id, Point root, Point in_window);
    Event dismiss(BoxId box);
    std::uint32_t keysym_of(const xcb_key_press_event_t& event);

    posix::EventWait m_wait;                // first: every wait on the server watches it
    Connection m_conn{m_wait.signal_fd()};  // everything below sends requests on it
    XOwned<xcb_free_cursor> m_cursor;       // none until a window of ours is first mapped
    bool m_cursor_tried = false;
    XOwned<xcb_close_font> m_box_font_id;
    BoxFont m_box_font;  // opened with the first report
    bool m_box_font_tried = false;
    XOwned<xcb_free_gc> m_gc;
    XOwned<xcb_destroy_window> m_leader;
    KeySymbols m_keysyms;  // none until a key is pressed
    std::uint16_t m_num_lock_mask = 0;
    std::map<xcb_window_t, std::unique_ptr<TopWindow>> m_windows;
    xcb_window_t m_main = 0;
    std::map<BoxId, std::unique_ptr<MessageBox>> m_boxes;
    BoxId m_next_box = 1;
    std::optional<PendingFocus> m_pending_focus;
    std::uint32_t m_user_time = 0;  // of the last button or key event on our windows
    std::deque<XReply<xcb_generic_event_t>> m_held;  // read while waiting for a timestamp
    bool m_lost = false;  // the lost connection was written to standard error
};

}  // namespace osyl::x11
