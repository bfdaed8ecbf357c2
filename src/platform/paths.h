#pragma once

#include <string>
#include <string_view>

namespace osyl {

// How the platform writes paths (paths_posix.cpp, paths_win32.cpp). The program names its
// files with "\" (skin\c0.bmp); to_native_separators() turns that into the platform's
// separator. folder_ends holds every character that ends a folder in a path.
extern const char path_separator;
extern const std::string_view folder_ends;

inline std::string to_native_separators(std::string_view name) {
    std::string native(name);
    for (char& c : native)
        if (c == '\\') c = path_separator;
    return native;
}

// Where the file name starts in a path: just after the last folder end, or at 0.
inline std::size_t file_name_start(std::string_view path) {
    std::size_t end = path.find_last_of(folder_ends);
    return end == std::string_view::npos ? 0 : end + 1;
}

// The path made absolute against the current working directory (paths_posix.cpp,
// paths_win32.cpp); returned unchanged when the directory cannot be read.
std::string absolute_path(const std::string& path);

}  // namespace osyl
