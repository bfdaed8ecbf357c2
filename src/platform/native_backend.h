#pragma once

#include "platform/backend.h"

#include <memory>
#include <string>

namespace osyl {

// The backend of the platform the program was built for: Wayland or X11 on Linux, Win32 on
// Windows.
// Throws DisplayError (or another AppError) when the display cannot be used.
std::unique_ptr<Backend> make_native_backend();

// Shows the start-up failure text in an "Application Error" box without owner when no
// backend could be made, where the platform can show one without it.
void show_startup_box_without_backend(const std::string& text);

}  // namespace osyl
