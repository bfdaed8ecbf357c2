#include "skin/skin_loader.h"

#include "platform/errors.h"
#include "platform/files.h"
#include "skin/bmp_reader.h"
#include "skin/skin_path.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace osyl {

namespace {

// The report names the file absolutely even if the executable path came in relative.
std::string absolute_path(const std::string& path) {
    if (!path.empty() && path.front() == '/') return path;
    std::error_code error;
    auto cwd = std::filesystem::current_path(error);
    if (error) return path;
    return (cwd / path).string();
}

}  // namespace

Picture load_skin_picture(std::string_view exe_path, std::string_view relative_name) {
    std::string path = absolute_path(skin_file_path(exe_path, relative_name));
    OpenedFile opened = open_regular_file(path);
    if (opened.error != 0)
        throw FileOpenError("Cannot open file \"" + path + "\". " + describe_errno(opened.error));
    // Bytes past the largest file the reader accepts would never be used.
    auto wanted = static_cast<std::size_t>(std::min(opened.size, bmp_max_file_bytes));
    ReadResult read = read_up_to(opened.file, wanted);
    opened.file.close();
    if (read.error != 0) throw SystemError(read.error);
    return decode_bmp(read.bytes);
}

}  // namespace osyl
