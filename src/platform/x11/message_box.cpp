#include "platform/x11/message_box.h"

#include "platform/colours.h"

#include "platform/posix/keysyms.h"

#include <xcb/xcb_icccm.h>

#include <algorithm>
#include <array>

namespace osyl::x11 {

namespace {

using posix::box_colours::button_fill;
using posix::box_colours::button_rim;
using posix::box_colours::ink;
using posix::box_colours::stop_cross;
using posix::box_colours::stop_red;
using posix::box_colours::stop_rim;

constexpr std::uint32_t box_events = XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE |
                                     XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_EXPOSURE |
                                     XCB_EVENT_MASK_STRUCTURE_NOTIFY;

xcb_rectangle_t to_x(Rect r) {
    return {static_cast<std::int16_t>(r.left), static_cast<std::int16_t>(r.top),
            static_cast<std::uint16_t>(r.width), static_cast<std::uint16_t>(r.height)};
}

}  // namespace

MessageBox::MessageBox(const Connection& conn, const WindowBase& base, const BoxFont& font,
                       const MessageBoxSpec& spec, xcb_window_t transient_for,
                       std::uint32_t user_time)
    : m_conn(conn),
      m_font(font),
      m_lines(posix::box_lines(spec.text)),
      m_layout(posix::layout_box(m_lines, font.char_width, font.ascent + font.descent)) {
    const xcb_screen_t& screen = conn.screen();
    Rect bounds{(screen.width_in_pixels - m_layout.width) / 2,
                (screen.height_in_pixels - m_layout.height) / 2, m_layout.width, m_layout.height};
    m_window = create_top_level(conn, base, {bounds, box_events, false});
    xcb_window_t id = m_window.id();

    xcb_gcontext_t gc = conn.generate_id();
    std::array<std::uint32_t, 4> gc_values{conn.pixel(ink), conn.pixel(button_face), font.id, 0};
    std::uint32_t gc_mask = XCB_GC_FOREGROUND | XCB_GC_BACKGROUND | XCB_GC_GRAPHICS_EXPOSURES;
    if (font.id == 0) {
        gc_values[2] = 0;  // without the font bit the third value is graphics-exposures
    } else {
        gc_mask |= XCB_GC_FONT;
    }
    xcb_create_gc(conn.get(), gc, id, gc_mask, gc_values.data());
    m_gc = XOwned<xcb_free_gc>(conn.get(), gc);

    set_fixed_size_hints(conn, id, bounds);
    set_dialog_properties(spec, transient_for, user_time);
    m_map.request(true);
    xcb_map_window(conn.get(), id);
}

void MessageBox::set_dialog_properties(const MessageBoxSpec& spec, xcb_window_t transient_for,
                                       std::uint32_t user_time) const {
    m_conn.set_caption(id(), spec.caption);
    std::array<xcb_atom_t, 1> type{m_conn.atom(Atom::NetWmWindowTypeDialog)};
    m_conn.set_u32(id(), m_conn.atom(Atom::NetWmWindowType), XCB_ATOM_ATOM, type);
    std::array<xcb_atom_t, 1> state{m_conn.atom(Atom::NetWmStateModal)};
    m_conn.set_u32(id(), m_conn.atom(Atom::NetWmState), XCB_ATOM_ATOM, state);
    xcb_icccm_set_wm_transient_for(m_conn.get(), id(), transient_for);
    std::array<std::uint32_t, 1> time{user_time};
    m_conn.set_u32(id(), m_conn.atom(Atom::NetWmUserTime), XCB_ATOM_CARDINAL, time);
}

void MessageBox::set_colour(Rgb colour) const {
    std::uint32_t value = m_conn.pixel(colour);
    xcb_change_gc(m_conn.get(), m_gc.id(), XCB_GC_FOREGROUND, &value);
}

void MessageBox::draw() const {
    xcb_clear_area(m_conn.get(), 0, id(), 0, 0, 0, 0);
    draw_icon();
    draw_text();
    draw_button();
}

void MessageBox::draw_icon() const {
    const Rect& r = m_layout.icon;
    xcb_arc_t disc{static_cast<std::int16_t>(r.left),
                   static_cast<std::int16_t>(r.top),
                   static_cast<std::uint16_t>(r.width - 1),
                   static_cast<std::uint16_t>(r.height - 1),
                   0,
                   360 * 64};
    set_colour(stop_red);
    xcb_poly_fill_arc(m_conn.get(), id(), m_gc.id(), 1, &disc);
    set_colour(stop_rim);
    xcb_poly_arc(m_conn.get(), id(), m_gc.id(), 1, &disc);

    // The cross as two filled bars, so it needs no wide-line support.
    auto bar = [&](int x0, int y0, int x1, int y1) {
        std::array<xcb_point_t, 4> corners{};
        auto at = [&](int x, int y) {
            return xcb_point_t{static_cast<std::int16_t>(r.left + x),
                               static_cast<std::int16_t>(r.top + y)};
        };
        corners = {at(x0 - 2, y0), at(x0, y0 - 2), at(x1 + 2, y1), at(x1, y1 + 2)};
        xcb_fill_poly(m_conn.get(), id(), m_gc.id(), XCB_POLY_SHAPE_CONVEX, XCB_COORD_MODE_ORIGIN,
                      corners.size(), corners.data());
    };
    set_colour(stop_cross);
    bar(10, 10, 21, 21);
    bar(10, 21, 21, 10);
}

// Core text in 16-bit characters, so a font with the whole Basic Multilingual Plane
// shows any UTF-8 text; what the font lacks shows as "?".
void MessageBox::write(Point at, const std::u32string& text) const {
    if (m_font.id == 0) return;  // the text went to standard error
    std::vector<xcb_char2b_t> chars;
    for (char32_t c : text) {
        std::uint16_t code = m_font.coverage.code(c);
        chars.push_back({static_cast<std::uint8_t>(code >> 8), static_cast<std::uint8_t>(code)});
    }
    xcb_image_text_16(
        m_conn.get(), static_cast<std::uint8_t>(std::min<std::size_t>(chars.size(), 255)), id(),
        m_gc.id(), static_cast<std::int16_t>(at.x), static_cast<std::int16_t>(at.y), chars.data());
}

void MessageBox::draw_text() const {
    set_colour(ink);
    int baseline = m_layout.text.y + m_font.ascent;
    for (const std::u32string& line : m_lines) {
        write({m_layout.text.x, baseline}, line);
        baseline += m_layout.line_height;
    }
}

void MessageBox::draw_button() const {
    const Rect& r = m_layout.button;
    xcb_rectangle_t fill = to_x(r);
    set_colour(button_fill);
    xcb_poly_fill_rectangle(m_conn.get(), id(), m_gc.id(), 1, &fill);
    xcb_rectangle_t rim = to_x({r.left, r.top, r.width - 1, r.height - 1});
    set_colour(button_rim);
    xcb_poly_rectangle(m_conn.get(), id(), m_gc.id(), 1, &rim);

    int x = r.left + (r.width - 2 * m_font.char_width) / 2;
    int baseline = r.top + (r.height + m_font.ascent - m_font.descent) / 2;
    set_colour(ink);
    std::uint32_t background = m_conn.pixel(button_fill);
    xcb_change_gc(m_conn.get(), m_gc.id(), XCB_GC_BACKGROUND, &background);
    write({x, baseline}, U"OK");
    background = m_conn.pixel(button_face);
    xcb_change_gc(m_conn.get(), m_gc.id(), XCB_GC_BACKGROUND, &background);
}

bool MessageBox::key_press(std::uint32_t keysym) const { return posix::dismisses_box(keysym); }

void MessageBox::button_press(Point position) {
    m_button_pressed = m_layout.button.contains(position);
}

bool MessageBox::button_release(Point position) {
    bool clicked = m_button_pressed && m_layout.button.contains(position);
    m_button_pressed = false;
    return clicked;
}

}  // namespace osyl::x11
