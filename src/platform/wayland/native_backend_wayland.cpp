#include "platform/errors.h"
#include "platform/native_backend.h"
#include "platform/wayland/wayland_backend.h"
#include "platform/x11/x11_backend.h"

#include <cstdlib>
#include <string>

namespace osyl {

// OSYL_BACKEND=x11 or wayland forces one. Otherwise Wayland when the session has a Wayland
// display whose compositor offers the layer shell, X11 (possibly XWayland) when not.
std::unique_ptr<Backend> make_native_backend() {
    const char* forced = std::getenv("OSYL_BACKEND");
    std::string choice = forced != nullptr ? forced : "";
    if (choice == "x11") return make_x11_backend();
    if (choice == "wayland") return make_wayland_backend();
    if (!choice.empty()) throw DisplayError("OSYL_BACKEND must be x11 or wayland, not " + choice);
    const char* wayland_display = std::getenv("WAYLAND_DISPLAY");
    if (wayland_display != nullptr && *wayland_display != '\0') {
        try {
            return make_wayland_backend();
        } catch (const DisplayError&) {
            // No layer shell (GNOME, weston) or no connection: X11 it is.
        }
    }
    return make_x11_backend();
}

// Without a display connection no box can be shown; standard error carries the text.
void show_startup_box_without_backend(const std::string&) {}

}  // namespace osyl
