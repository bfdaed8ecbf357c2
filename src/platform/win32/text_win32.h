#pragma once

// UTF-8 inside the program, UTF-16 at the Win32 boundary. Internal to the *_win32.cpp files.

#include <windows.h>

#include <string>

namespace osyl {

inline std::wstring to_utf16(const std::string& utf8) {
    if (utf8.empty()) return {};
    int size = static_cast<int>(utf8.size());
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    return wide;
}

inline std::string to_utf8(const wchar_t* wide, int length) {
    if (length <= 0) return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, length, utf8.data(), size, nullptr, nullptr);
    return utf8;
}

inline std::string to_utf8(const std::wstring& wide) {
    return to_utf8(wide.data(), static_cast<int>(wide.size()));
}

}  // namespace osyl
