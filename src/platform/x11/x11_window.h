#pragma once

// Internal to the X11 backend.

#include "platform/backend.h"
#include "platform/x11/x11_connection.h"

#include <optional>

namespace osyl::x11 {

// What every window of the program is created with.
struct WindowBase {
    xcb_window_t leader = 0;  // the hidden group leader
    xcb_cursor_t cursor = 0;
    xcb_gcontext_t gc = 0;  // for uploading pictures
};

// Tells the notifications our own map and unmap requests cause from those of a window
// manager (minimise, restore).
class MapTracker {
public:
    // Our request; returns whether it changes what the server will show.
    bool request(bool visible);
    // A MapNotify or UnmapNotify arrived; returns true when the window manager caused it.
    bool notified(bool mapped);
    bool mapped() const { return m_mapped; }
    bool will_be_mapped() const { return m_expected; }

private:
    bool m_mapped = false;    // as last notified
    bool m_expected = false;  // once our requests are done
    int m_pending_maps = 0;
    int m_pending_unmaps = 0;
};

// A top-level window: ordinary, managed, undecorated, at a fixed place and size.
class TopWindow {
public:
    TopWindow(const Connection& conn, const WindowBase& base, const WindowSpec& spec,
              xcb_window_t transient_for);

    xcb_window_t id() const { return m_window.id(); }
    Rect bounds() const { return m_bounds; }
    void set_bounds(Rect bounds);
    // Maps the window; the time is the user activity that led to it, for the window manager.
    void show(std::uint32_t user_time);
    void hide();
    // Pixels go to the window's back buffer on the server, and from there to the window.
    void present(const Picture& pixels);
    void update(Rect area, const Picture& pixels);
    // Copies the area again from the back buffer, as after an exposure.
    void repaint(Rect area) const;
    MapTracker& map_state() { return m_map; }
    // Where the server last said the window is, on the screen; nothing before it said so.
    std::optional<Rect> actual() const { return m_actual; }
    void set_actual(Rect actual) { m_actual = actual; }

private:
    void set_icon(const IconImage& icon) const;
    void set_map_hints(std::uint32_t user_time) const;
    void make_back_buffer(int width, int height);

    const Connection& m_conn;
    WindowBase m_base;
    XOwned<xcb_destroy_window> m_window;
    Rect m_bounds;  // as asked
    std::optional<Rect> m_actual;
    WindowRole m_role;
    xcb_window_t m_transient_for;
    // The picture last presented, kept by the server while the window is shown.
    XOwned<xcb_free_pixmap> m_back;
    Rect m_back_area;
    MapTracker m_map;
};

// What sets one top-level window of ours apart from the others: the bar, the menu, a
// message box and the hidden group leader differ only in this.
struct TopLevelSpec {
    Rect bounds{0, 0, 1, 1};
    std::uint32_t events = 0;  // the event mask
    bool input_only = false;   // the group leader, which is never shown
};

// Creates a top-level window with the button face as background, the arrow cursor and the
// properties every window of ours carries (group, client leader, class, pid, the close
// protocol). With no leader in the base, the window leads itself.
XOwned<xcb_destroy_window> create_top_level(const Connection& conn, const WindowBase& base,
                                            const TopLevelSpec& spec);

// Places the window at a fixed position and size that the window manager must keep.
void set_fixed_size_hints(const Connection& conn, xcb_window_t window, Rect bounds);

// Sends an event to the window manager through the root window.
void send_to_root(const Connection& conn, const void* event, std::size_t size);

}  // namespace osyl::x11
