#include "skin/skin_path.h"

#include "platform/paths.h"

namespace osyl {

std::string executable_folder(std::string_view exe_path) {
    return std::string(exe_path.substr(0, file_name_start(exe_path)));
}

std::string skin_file_path(std::string_view exe_path, std::string_view relative_name) {
    return executable_folder(exe_path) + to_native_separators(relative_name);
}

}  // namespace osyl
