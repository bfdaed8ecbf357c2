#pragma once

// Internal to the Wayland backend.

#include "platform/backend.h"
#include "platform/wayland/shm_pool.h"
#include "platform/wayland/wayland_display.h"

#include <deque>

namespace osyl::wayland {

// The bar or the menu: a layer surface anchored to the bottom-left corner of the output,
// the menu lifted above the bar by the bar's height. It exists while the window is shown;
// hiding destroys it, so the next show maps it afresh.
class LayerWindow {
public:
    LayerWindow(const Display& display, std::deque<Event>& events, WindowId id, WindowRole role);

    // Where the core asked the window to be, and how far above the output's bottom.
    void place(Rect bounds, int margin_bottom);
    Rect bounds() const { return m_bounds; }
    // Where it really is: on the output's bottom edge, or above the bar.
    Rect actual() const;

    void show();
    void hide();
    bool shown() const { return m_layer != nullptr; }
    void present(Picture pixels);
    void update(Rect area, const Picture& pixels);
    // While a report is open the bar and the menu let the keyboard go to it.
    void set_keyboard(bool wanted);
    // Takes the keyboard now (the menu only): exclusively until it arrives, then on demand
    // again, so that a click elsewhere may take it away as on X11.
    void request_keyboard();
    void keyboard_arrived();
    wl_surface* surface() const { return m_surface.get(); }

private:
    static void configure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial,
                          std::uint32_t width, std::uint32_t height);
    static void closed(void* data, zwlr_layer_surface_v1* layer);
    void apply_placement();
    void commit_picture();
    void commit_picture(Rect area);
    std::uint32_t keyboard_mode() const;
    void apply_keyboard_mode();

    const Display& m_display;
    std::deque<Event>& m_events;
    WindowId m_id;
    WindowRole m_role;
    Rect m_bounds;
    int m_margin_bottom = 0;
    bool m_keyboard = true;
    bool m_asking = false;  // for the keyboard, until it arrives
    bool m_configured = false;
    Picture m_picture;
    ShmPool m_pool;
    Proxy<wl_surface> m_surface;
    Proxy<zwlr_layer_surface_v1> m_layer;
};

}  // namespace osyl::wayland
