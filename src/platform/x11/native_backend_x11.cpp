#include "platform/native_backend.h"
#include "platform/x11/x11_backend.h"

namespace osyl {

std::unique_ptr<Backend> make_native_backend() { return make_x11_backend(); }

// Without a display connection no box can be shown; standard error carries the text.
void show_startup_box_without_backend(const std::string&) {}

}  // namespace osyl
