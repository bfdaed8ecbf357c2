#include "platform/errors.h"
#include "platform/win32/text_win32.h"

namespace osyl {

// The message table is numbered like the system's own error codes.
InOutError InOutError::from_os_error(int err) { return InOutError(err); }

std::string describe_os_error(int err) {
    wchar_t buffer[512] = {};
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, static_cast<DWORD>(err), 0, buffer, 512, nullptr);
    return trim_description(to_utf8(buffer, static_cast<int>(length)));
}

int out_of_memory_error() { return ERROR_NOT_ENOUGH_MEMORY; }

}  // namespace osyl
