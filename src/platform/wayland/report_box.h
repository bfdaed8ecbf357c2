#pragma once

// Internal to the Wayland backend.

#include "platform/backend.h"
#include "platform/posix/box_layout.h"
#include "platform/wayland/box_font.h"
#include "platform/wayland/shm_pool.h"
#include "platform/wayland/wayland_display.h"

#include <deque>
#include <string>
#include <vector>

namespace osyl::wayland {

// A report: an xdg toplevel under the caption, drawn by the program with the X11 box's
// layout (stop icon, wrapped text, one OK button) and never wider than the output. Its
// fixed size makes tiling compositors float it. Dismissing it queues BoxDismissed.
class ReportBox {
public:
    ReportBox(const Display& display, const BoxFont& font, const MessageBoxSpec& spec,
              std::deque<Event>& events, BoxId id);

    wl_surface* surface() const { return m_surface.get(); }
    void key_press(std::uint32_t keysym);
    void button_press(Point position);
    void button_release(Point position);

private:
    static void configure(void* data, xdg_surface* surface, std::uint32_t serial);
    static void close(void* data, xdg_toplevel* toplevel);
    void dismiss();
    void draw_icon();
    void draw_button();

    std::deque<Event>& m_events;
    BoxId m_id;
    const BoxFont& m_font;
    std::vector<std::u32string> m_lines;
    posix::BoxLayout m_layout;
    Picture m_picture;
    ShmPool m_pool;
    bool m_button_pressed = false;
    bool m_dismissed = false;
    Proxy<wl_surface> m_surface;
    Proxy<xdg_surface> m_xdg_surface;
    Proxy<xdg_toplevel> m_toplevel;
};

}  // namespace osyl::wayland
