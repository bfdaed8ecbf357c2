#include "skin/skin_path.h"

namespace osyl {

std::string executable_folder(std::string_view exe_path) {
    auto slash = exe_path.rfind('/');
    if (slash == std::string_view::npos) return {};
    return std::string(exe_path.substr(0, slash + 1));
}

std::string skin_file_path(std::string_view exe_path, std::string_view relative_name) {
    return executable_folder(exe_path) + std::string(relative_name);
}

}  // namespace osyl
