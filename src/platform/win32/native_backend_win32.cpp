#include "platform/native_backend.h"
#include "platform/win32/win32_backend.h"

namespace osyl {

std::unique_ptr<Backend> make_native_backend() { return make_win32_backend(); }

}  // namespace osyl
