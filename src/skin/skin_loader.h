#pragma once

#include "platform/picture.h"

#include <string_view>

namespace osyl {

// Reads and decodes the skin file at the executable's folder + relative_name, afresh on
// every call. Throws FileOpenError ("Cannot open file "<absolute path>". <reason>") when
// the file cannot be opened or is not a regular file, SystemError with the platform's
// error number when reading it fails, and whatever decode_bmp throws. The caller keeps its
// old picture on any throw.
Picture load_skin_picture(std::string_view exe_path, std::string_view relative_name);

}  // namespace osyl
