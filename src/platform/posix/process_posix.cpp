#include "platform/process.h"

#include <dlfcn.h>
#include <signal.h>
#include <unistd.h>

#include <vector>

namespace osyl {

std::string current_executable_path() {
    // readlink does not say whether it truncated, so grow until the link fits with room.
    for (std::size_t size = 256; size <= (1U << 20); size *= 2) {
        std::vector<char> buffer(size);
        ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) return {};
        if (static_cast<std::size_t>(length) < buffer.size())
            return std::string(buffer.data(), static_cast<std::size_t>(length));
    }
    return {};
}

std::uintptr_t image_offset(const void* code_position) {
    Dl_info info{};
    if (dladdr(code_position, &info) == 0 || info.dli_fbase == nullptr) return 0;
    return reinterpret_cast<std::uintptr_t>(code_position) -
           reinterpret_cast<std::uintptr_t>(info.dli_fbase);
}

// The signals are blocked while the event loop watches them, so they wait as pending.
bool termination_pending() {
    sigset_t pending;
    if (sigpending(&pending) != 0) return false;
    return sigismember(&pending, SIGTERM) == 1 || sigismember(&pending, SIGINT) == 1;
}

}  // namespace osyl
