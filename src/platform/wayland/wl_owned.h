#pragma once

// Internal to the Wayland backend: one owner per protocol object and library handle.

#include "xdg-shell-client-protocol.h"

#include <wayland-client.h>

// The generated header names a parameter "namespace", a C++ keyword; what it includes is
// included above, so the renaming touches nothing else.
#define namespace namespace_
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace

#include <memory>

namespace osyl::wayland {

// Library handles whose free function is exported: Owned<xkb_state, xkb_state_unref>.
template <auto Free>
struct Freer {
    template <class T>
    void operator()(T* handle) const {
        Free(handle);
    }
};
template <class T, auto Free>
using Owned = std::unique_ptr<T, Freer<Free>>;

// Protocol objects, whose destructors the scanner writes as static inline functions (a
// template argument must not name those): one overload each.
inline void destroy(wl_registry* p) { wl_registry_destroy(p); }
inline void destroy(wl_compositor* p) { wl_compositor_destroy(p); }
inline void destroy(wl_shm* p) { wl_shm_destroy(p); }
inline void destroy(wl_shm_pool* p) { wl_shm_pool_destroy(p); }
inline void destroy(wl_buffer* p) { wl_buffer_destroy(p); }
inline void destroy(wl_seat* p) { wl_seat_destroy(p); }
inline void destroy(wl_output* p) { wl_output_destroy(p); }
inline void destroy(wl_surface* p) { wl_surface_destroy(p); }
inline void destroy(wl_pointer* p) { wl_pointer_release(p); }
inline void destroy(wl_keyboard* p) { wl_keyboard_release(p); }
inline void destroy(xdg_wm_base* p) { xdg_wm_base_destroy(p); }
inline void destroy(xdg_surface* p) { xdg_surface_destroy(p); }
inline void destroy(xdg_toplevel* p) { xdg_toplevel_destroy(p); }
inline void destroy(zwlr_layer_shell_v1* p) { zwlr_layer_shell_v1_destroy(p); }
inline void destroy(zwlr_layer_surface_v1* p) { zwlr_layer_surface_v1_destroy(p); }

struct ProxyDestroyer {
    template <class T>
    void operator()(T* proxy) const {
        destroy(proxy);
    }
};
template <class T>
using Proxy = std::unique_ptr<T, ProxyDestroyer>;

// A listener slot for an event the backend does not use.
template <class... Args>
void ignore(void* /*data*/, Args... /*args*/) {}

}  // namespace osyl::wayland
