#pragma once

#include "platform/backend.h"

#include <memory>

namespace osyl {

// The backend on the X display named by $DISPLAY, through XCB. Its WindowIds are the X
// window ids, so tools such as xprop can look at them. Throws DisplayError when the
// display cannot be opened or offers no 24- or 32-bit TrueColor visual.
// While it lives, SIGTERM, SIGINT and SIGHUP are blocked and arrive as events instead.
std::unique_ptr<Backend> make_x11_backend();

}  // namespace osyl
