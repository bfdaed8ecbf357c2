#pragma once

#include "platform/backend.h"

#include <memory>

namespace osyl {

// The backend on the Wayland compositor named by $WAYLAND_DISPLAY, for compositors with
// wlr-layer-shell. Throws DisplayError when it cannot connect or a global it needs (the
// layer shell first of all) is missing. While it lives, SIGTERM, SIGINT and SIGHUP are
// blocked and arrive as events instead.
std::unique_ptr<Backend> make_wayland_backend();

}  // namespace osyl
