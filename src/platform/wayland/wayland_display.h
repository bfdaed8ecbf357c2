#pragma once

// Internal to the Wayland backend.

#include "platform/geometry.h"
#include "platform/wayland/wl_owned.h"

#include <wayland-client.h>

#include <cstdint>

namespace osyl::wayland {

// The connection to the compositor and the globals the backend binds, each at the lowest
// version it relies on.
class Display {
public:
    // Connects to $WAYLAND_DISPLAY; throws DisplayError when that fails or a global the
    // backend needs is missing, naming it.
    Display();
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    wl_display* get() const { return m_display.get(); }
    int fd() const { return wl_display_get_fd(get()); }
    wl_compositor* compositor() const { return m_compositor.get(); }
    wl_shm* shm() const { return m_shm.get(); }
    // Binds the seat anew; its listener must be added before the next roundtrip, which
    // brings its capabilities.
    wl_seat* bind_seat() const;
    xdg_wm_base* wm_base() const { return m_wm_base.get(); }
    zwlr_layer_shell_v1* layer_shell() const { return m_layer_shell.get(); }
    std::uint32_t layer_shell_version() const { return m_layer_shell_version; }
    // The first output's size in surface pixels; 800 x 600 until the compositor says.
    int output_width() const { return m_output_width / m_output_scale; }
    int output_height() const { return m_output_height / m_output_scale; }
    // True once the connection has failed; the compositor has gone.
    bool lost() const { return wl_display_get_error(get()) != 0; }
    void roundtrip() const;

private:
    static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t version);
    static void output_mode(void* data, wl_output* output, std::uint32_t flags, std::int32_t width,
                            std::int32_t height, std::int32_t refresh);
    static void output_scale(void* data, wl_output* output, std::int32_t factor);
    static void ping(void* data, xdg_wm_base* base, std::uint32_t serial);

    Owned<wl_display, wl_display_disconnect> m_display;  // first: everything uses it
    Proxy<wl_registry> m_registry;
    Proxy<wl_compositor> m_compositor;
    Proxy<wl_shm> m_shm;
    std::uint32_t m_seat_name = 0;  // 0: none offered
    Proxy<wl_output> m_output;
    Proxy<xdg_wm_base> m_wm_base;
    Proxy<zwlr_layer_shell_v1> m_layer_shell;
    std::uint32_t m_layer_shell_version = 0;
    int m_output_width = 800;
    int m_output_height = 600;
    int m_output_scale = 1;
};

}  // namespace osyl::wayland
