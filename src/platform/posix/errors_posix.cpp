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

// An errno without a counterpart of its own is reported by its number, so that EIO (5)
// never reads as "File access denied".
InOutError InOutError::from_os_error(int err) {
    int code = io_code_for_errno(err);
    if (code == 0) return InOutError(err, "I/O error " + std::to_string(err));
    return InOutError(code);
}

std::string describe_os_error(int err) {
    char buffer[256] = {};
    // GNU strerror_r may return a static string instead of filling the buffer.
    const char* text = strerror_r(err, buffer, sizeof buffer);
    return trim_description(text ? text : "");
}

int out_of_memory_error() { return ENOMEM; }

}  // namespace osyl
