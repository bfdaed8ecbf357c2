#include "skin/skin_path.h"

#include <unistd.h>

#include <vector>

namespace osyl {

std::string executable_folder(std::string_view exe_path) {
    auto slash = exe_path.rfind('/');
    if (slash == std::string_view::npos) return {};
    return std::string(exe_path.substr(0, slash + 1));
}

std::string skin_file_path(std::string_view exe_path, std::string_view relative_name) {
    return executable_folder(exe_path) + std::string(relative_name);
}

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

}  // namespace osyl
