#pragma once

#include "platform/backend.h"

#include <memory>

namespace osyl {

// The backend on the Windows desktop: a hidden application window carries the task-bar
// button, the program's windows are borderless popups owned by it, and message boxes are
// MessageBoxW, during which the desktop's modal tick keeps the timers running.
std::unique_ptr<Backend> make_win32_backend();

}  // namespace osyl
