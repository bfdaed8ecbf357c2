#include "platform/native_backend.h"
#include "platform/x11/x11_backend.h"

namespace osyl {

std::unique_ptr<Backend> make_native_backend() { return make_x11_backend(); }

}  // namespace osyl
