#include "platform/process.h"
#include "platform/win32/text_win32.h"

namespace osyl {

// Grows the buffer until the path fits, so long paths work too.
std::string current_executable_path() {
    for (DWORD size = MAX_PATH; size <= 32768 * 2; size *= 2) {
        std::wstring buffer(size, L'\0');
        DWORD length = GetModuleFileNameW(nullptr, buffer.data(), size);
        if (length == 0) return {};
        if (length < size) return to_utf8(buffer.data(), static_cast<int>(length));
    }
    return {};
}

// GetModuleFileNameW always knows.
void remember_start(const char* /*argv0*/) {}

std::uintptr_t image_offset(const void* code_position) {
    return reinterpret_cast<std::uintptr_t>(code_position) -
           reinterpret_cast<std::uintptr_t>(GetModuleHandleW(nullptr));
}

// Windows asks a program to end through its windows' messages, which the loop handles.
bool termination_pending() { return false; }

}  // namespace osyl
