#pragma once

// Internal to the X11 backend.

#include "platform/backend.h"
#include "platform/posix/box_layout.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_window.h"

#include <string>
#include <vector>

namespace osyl::x11 {

// The core font the boxes write with, and its cell.
struct BoxFont {
    xcb_font_t id = 0;
    int ascent = 0;
    int descent = 0;
    int char_width = 0;
    posix::FontCoverage coverage;
};

// A modal error box of our own: a dialog window with a stop icon, the text and one OK
// button, drawn with core requests. It is mapped as soon as it is built.
class MessageBox {
public:
    MessageBox(const Connection& conn, const WindowBase& base, const BoxFont& font,
               const MessageBoxSpec& spec, xcb_window_t transient_for, std::uint32_t user_time);

    xcb_window_t id() const { return m_window.id(); }
    MapTracker& map_state() { return m_map; }
    void draw() const;

    // Input to the box; each returns true when it dismisses the box.
    bool key_press(std::uint32_t keysym) const;
    void button_press(Point position);
    bool button_release(Point position);

private:
    void set_dialog_properties(const MessageBoxSpec& spec, xcb_window_t transient_for,
                               std::uint32_t user_time) const;
    void draw_icon() const;
    void draw_text() const;
    void draw_button() const;
    void set_colour(Rgb colour) const;
    void write(Point at, const std::u32string& text) const;

    const Connection& m_conn;
    const BoxFont& m_font;  // the backend's, which outlives its boxes
    std::vector<std::u32string> m_lines;
    posix::BoxLayout m_layout;
    XOwned<xcb_destroy_window> m_window;
    XOwned<xcb_free_gc> m_gc;
    MapTracker m_map;
    bool m_button_pressed = false;
};

}  // namespace osyl::x11
