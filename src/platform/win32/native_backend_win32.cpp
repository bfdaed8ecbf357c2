#include "platform/native_backend.h"
#include "platform/win32/text_win32.h"
#include "platform/win32/win32_backend.h"

namespace osyl {

std::unique_ptr<Backend> make_native_backend() { return make_win32_backend(); }

// The system shows message boxes of its own even when the program's windows could not be
// made; without a desktop at all the call fails at once.
void show_startup_box_without_backend(const std::string& text) {
    MessageBoxW(nullptr, to_utf16(text).c_str(), L"Application Error",
                MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace osyl
