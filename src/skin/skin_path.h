#pragma once

#include <string>
#include <string_view>

namespace osyl {

// The folder of the executable: its path up to and including the last folder end; empty
// if it has none.
std::string executable_folder(std::string_view exe_path);

// Where a skin file lives: the executable's folder followed by a relative name such as
// "skin\\c0.bmp", written with the platform's separator.
std::string skin_file_path(std::string_view exe_path, std::string_view relative_name);

}  // namespace osyl
