#include "platform/paths.h"
#include "platform/text_win32.h"

namespace osyl {

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
