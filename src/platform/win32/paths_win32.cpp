#include "platform/paths.h"
#include "platform/win32/text_win32.h"

namespace osyl {

const char path_separator = '\\';
// Windows takes "/" as well, and a drive's colon ends a folder too.
const std::string_view folder_ends = "\\/:";

std::string absolute_path(const std::string& path) {
    std::wstring wide = to_utf16(path);
    DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::wstring full(size, L'\0');
    DWORD length = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) return path;
    full.resize(length);
    return to_utf8(full);
}

}  // namespace osyl
