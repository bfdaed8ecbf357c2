#include "platform/errors.h"

#include <new>

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

namespace {

std::string system_error_text(int err, const std::string& step) {
    std::string named = step.empty() ? "" : step + ".\r\n";
    if (err == 0) return step.empty() ? "Unknown system error" : step;
    return named + "System Error.  Code: " + std::to_string(err) + ".\r\n" + describe_os_error(err);
}

}  // namespace

SystemError::SystemError(int err, const std::string& step)
    : AppError(system_error_text(err, step)), m_code(err) {}

std::string message_of(const std::exception& error) {
    if (dynamic_cast<const std::bad_alloc*>(&error))
        return SystemError(out_of_memory_error()).what();
    return error.what();
}

std::string report_text(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
    return message;
}

}  // namespace osyl
