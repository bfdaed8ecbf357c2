#include "platform/wayland/report_box.h"

#include "platform/colours.h"
#include "platform/posix/keysyms.h"

#include <cstdlib>
#include <utility>

namespace osyl::wayland {

namespace {

namespace colours = posix::box_colours;

bool in_disc(int x, int y, int size, double inset) {
    double centre = (size - 1) / 2.0;
    double radius = size / 2.0 - inset;
    double dx = x - centre;
    double dy = y - centre;
    return dx * dx + dy * dy <= radius * radius;
}

}  // namespace

ReportBox::ReportBox(const Display& display, const BoxFont& font, const MessageBoxSpec& spec,
                     std::deque<Event>& events, BoxId id)
    : m_events(events),
      m_id(id),
      m_font(font),
      m_lines(posix::box_lines(spec.text,
                               posix::box_chars_within(display.output_width(), font.char_width()))),
      m_layout(posix::layout_box(m_lines, font.char_width(), font.ascent() + font.descent())),
      m_picture(m_layout.width, m_layout.height, button_face),
      m_pool(display.shm()) {
    int baseline = m_layout.text.y + font.ascent();
    for (const std::u32string& line : m_lines) {
        font.write(m_picture, m_layout.text.x, baseline, line, colours::ink);
        baseline += m_layout.line_height;
    }
    draw_icon();
    draw_button();

    m_surface.reset(wl_compositor_create_surface(display.compositor()));
    m_xdg_surface.reset(xdg_wm_base_get_xdg_surface(display.wm_base(), surface()));
    static const xdg_surface_listener surface_listener{configure};
    xdg_surface_add_listener(m_xdg_surface.get(), &surface_listener, this);
    m_toplevel.reset(xdg_surface_get_toplevel(m_xdg_surface.get()));
    static const xdg_toplevel_listener toplevel_listener{ignore, close, ignore, ignore};
    xdg_toplevel_add_listener(m_toplevel.get(), &toplevel_listener, this);
    xdg_toplevel_set_title(m_toplevel.get(), spec.caption.c_str());
    xdg_toplevel_set_app_id(m_toplevel.get(), "osyl");
    xdg_toplevel_set_min_size(m_toplevel.get(), m_layout.width, m_layout.height);
    xdg_toplevel_set_max_size(m_toplevel.get(), m_layout.width, m_layout.height);
    wl_surface_commit(surface());
}

// A red disc with a darker rim and a white diagonal cross.
void ReportBox::draw_icon() {
    const Rect& r = m_layout.icon;
    for (int y = 0; y < r.height; ++y) {
        for (int x = 0; x < r.width; ++x) {
            if (!in_disc(x, y, r.width, 0)) continue;
            bool rim = !in_disc(x, y, r.width, 1);
            bool cross = x >= 9 && x <= 22 && (std::abs(x - y) <= 1 || std::abs(x + y - 31) <= 1);
            Rgb colour = cross ? colours::stop_cross : rim ? colours::stop_rim : colours::stop_red;
            m_picture.set(r.left + x, r.top + y, colour);
        }
    }
}

void ReportBox::draw_button() {
    const Rect& r = m_layout.button;
    m_picture.fill(r.left, r.top, r.right() - 1, r.bottom() - 1, colours::button_rim);
    m_picture.fill(r.left + 1, r.top + 1, r.right() - 2, r.bottom() - 2, colours::button_fill);
    int x = r.left + (r.width - 2 * m_font.char_width()) / 2;
    int baseline = r.top + (r.height + m_font.ascent() - m_font.descent()) / 2;
    m_font.write(m_picture, x, baseline, U"OK", colours::ink);
}

void ReportBox::configure(void* data, xdg_surface* surface, std::uint32_t serial) {
    auto& self = *static_cast<ReportBox*>(data);
    xdg_surface_ack_configure(surface, serial);
    wl_surface_attach(self.surface(), self.m_pool.draw(self.m_picture), 0, 0);
    wl_surface_damage(self.surface(), 0, 0, self.m_picture.width(), self.m_picture.height());
    wl_surface_commit(self.surface());
}

void ReportBox::close(void* data, xdg_toplevel* /*toplevel*/) {
    static_cast<ReportBox*>(data)->dismiss();
}

void ReportBox::dismiss() {
    if (!std::exchange(m_dismissed, true)) m_events.push_back(BoxDismissed{m_id});
}

void ReportBox::key_press(std::uint32_t keysym) {
    if (posix::dismisses_box(keysym)) dismiss();
}

void ReportBox::button_press(Point position) {
    m_button_pressed = m_layout.button.contains(position);
}

void ReportBox::button_release(Point position) {
    if (m_button_pressed && m_layout.button.contains(position)) dismiss();
    m_button_pressed = false;
}

}  // namespace osyl::wayland
