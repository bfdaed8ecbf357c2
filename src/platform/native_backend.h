#pragma once

#include "platform/backend.h"

#include <memory>

namespace osyl {

// The backend of the platform the program was built for: X11 on Linux, Win32 on Windows.
// Throws DisplayError (or another AppError) when the display cannot be used.
std::unique_ptr<Backend> make_native_backend();

}  // namespace osyl
