#include "platform/errors.h"

#include <cerrno>
#include <cstring>

namespace osyl {

namespace {

int io_code_for_errno(int err) {
    switch (err) {
        case ENOENT: return 2;
        case ENOTDIR:
        case ENAMETOOLONG: return 3;
        case EMFILE:
        case ENFILE: return 4;
        case EACCES:
        case EPERM:
        case EISDIR: return 5;
        case ENOSPC: return 101;
        default: return 0;
    }
}

}  // namespace

std::string io_error_message(int code) {
    switch (code) {
        case 2: return "File not found";
        case 3: return "Invalid filename";
        case 4: return "Too many open files";
        case 5: return "File access denied";
        case 100: return "Read beyond end of file";
        case 101: return "Disk full";
        case 106: return "Invalid numeric input";
        default: return "I/O error " + std::to_string(code);
    }
}

InOutError::InOutError(int code) : AppError(io_error_message(code)), m_code(code) {}

InOutError::InOutError(int code, const std::string& message) : AppError(message), m_code(code) {}

// An errno without a counterpart of its own is reported by its number, so that EIO (5)
// never reads as "File access denied".
InOutError InOutError::from_errno(int err) {
    int code = io_code_for_errno(err);
    if (code == 0) return InOutError(err, "I/O error " + std::to_string(err));
    return InOutError(code);
}

std::string trim_description(std::string text) {
    while (!text.empty()) {
        auto last = static_cast<unsigned char>(text.back());
        if (last > ' ' && last != '.' && last != 0x7f) break;
        text.pop_back();
    }
    return text;
}

std::string describe_errno(int err) {
    char buffer[256] = {};
    // GNU strerror_r may return a static string instead of filling the buffer.
    const char* text = strerror_r(err, buffer, sizeof buffer);
    return trim_description(text ? text : "");
}

SystemError::SystemError(int err)
    : AppError("System Error.  Code: " + std::to_string(err) + ".\r\n" + describe_errno(err)),
      m_code(err) {}

std::string report_text(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
    return message;
}

}  // namespace osyl
