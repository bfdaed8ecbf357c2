#include "platform/errors.h"

namespace osyl {

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

std::string trim_description(std::string text) {
    while (!text.empty()) {
        auto last = static_cast<unsigned char>(text.back());
        if (last > ' ' && last != '.' && last != 0x7f) break;
        text.pop_back();
    }
    return text;
}

SystemError::SystemError(int err)
    : AppError("System Error.  Code: " + std::to_string(err) + ".\r\n" + describe_os_error(err)),
      m_code(err) {}

std::string report_text(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
    return message;
}

}  // namespace osyl
