#include "platform/wayland/wayland_display.h"

#include "platform/errors.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace osyl::wayland {

namespace {

template <class T>
T* bind(wl_registry* registry, std::uint32_t name, const wl_interface& interface,
        std::uint32_t version) {
    return static_cast<T*>(wl_registry_bind(registry, name, &interface, version));
}

}  // namespace

Display::Display() {
    m_display.reset(wl_display_connect(nullptr));
    if (!m_display) throw DisplayError("Cannot connect to the Wayland display");
    m_registry.reset(wl_display_get_registry(get()));
    static const wl_registry_listener listener{global, ignore};
    wl_registry_add_listener(m_registry.get(), &listener, this);
    roundtrip();  // the globals
    auto need = [](const void* global, const char* name) {
        if (global == nullptr)
            throw DisplayError(std::string("The Wayland compositor offers no ") + name);
    };
    need(m_layer_shell.get(), "zwlr_layer_shell_v1");
    need(m_compositor.get(), "wl_compositor");
    need(m_shm.get(), "wl_shm");
    need(m_wm_base.get(), "xdg_wm_base");
    need(m_seat_name != 0 ? this : nullptr, "wl_seat (version 3)");
    roundtrip();  // the output's mode
}

void Display::roundtrip() const {
    if (wl_display_roundtrip(get()) < 0)
        throw DisplayError("The Wayland display closed the connection");
}

// Version 3: pointers and keyboards are released, not merely dropped.
wl_seat* Display::bind_seat() const {
    return bind<wl_seat>(m_registry.get(), m_seat_name, wl_seat_interface, 3);
}

void Display::global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                     std::uint32_t version) {
    auto& self = *static_cast<Display*>(data);
    auto is = [&](const wl_interface& candidate) {
        return std::strcmp(interface, candidate.name) == 0;
    };
    if (is(wl_compositor_interface)) {
        self.m_compositor.reset(bind<wl_compositor>(registry, name, wl_compositor_interface, 1));
    } else if (is(wl_shm_interface)) {
        self.m_shm.reset(bind<wl_shm>(registry, name, wl_shm_interface, 1));
    } else if (is(wl_seat_interface) && self.m_seat_name == 0 && version >= 3) {
        self.m_seat_name = name;  // bound by the seat's owner
    } else if (is(wl_output_interface) && !self.m_output && version >= 2) {
        self.m_output.reset(bind<wl_output>(registry, name, wl_output_interface, 2));
        static const wl_output_listener listener{ignore,       output_mode, ignore,
                                                 output_scale, ignore,      ignore};
        wl_output_add_listener(self.m_output.get(), &listener, &self);
    } else if (is(xdg_wm_base_interface)) {
        self.m_wm_base.reset(bind<xdg_wm_base>(registry, name, xdg_wm_base_interface, 1));
        static const xdg_wm_base_listener listener{ping};
        xdg_wm_base_add_listener(self.m_wm_base.get(), &listener, &self);
    } else if (is(zwlr_layer_shell_v1_interface)) {
        // Version 4 has on-demand keyboard focus; 3 (kwin 5.27) does without it.
        self.m_layer_shell_version = std::min<std::uint32_t>(version, 4);
        self.m_layer_shell.reset(bind<zwlr_layer_shell_v1>(
            registry, name, zwlr_layer_shell_v1_interface, self.m_layer_shell_version));
    }
}

void Display::output_mode(void* data, wl_output* /*output*/, std::uint32_t flags,
                          std::int32_t width, std::int32_t height, std::int32_t /*refresh*/) {
    auto& self = *static_cast<Display*>(data);
    if ((flags & WL_OUTPUT_MODE_CURRENT) == 0 || width <= 0 || height <= 0) return;
    self.m_output_width = width;
    self.m_output_height = height;
}

void Display::output_scale(void* data, wl_output* /*output*/, std::int32_t factor) {
    if (factor >= 1) static_cast<Display*>(data)->m_output_scale = factor;
}

void Display::ping(void* /*data*/, xdg_wm_base* base, std::uint32_t serial) {
    xdg_wm_base_pong(base, serial);
}

}  // namespace osyl::wayland
