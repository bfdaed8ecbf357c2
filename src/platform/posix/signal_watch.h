#pragma once

#include "platform/files.h"

#include <signal.h>

#include <optional>

namespace osyl::posix {

// Turns SIGTERM, SIGINT and SIGHUP into readable data on a descriptor that the event loop
// polls with the display connection. The signals are blocked while the watch lives.
class SignalWatch {
public:
    SignalWatch();
    SignalWatch(const SignalWatch&) = delete;
    SignalWatch& operator=(const SignalWatch&) = delete;
    ~SignalWatch();

    int fd() const { return static_cast<int>(m_file.native()); }
    // The next signal that arrived, or nothing.
    std::optional<int> take() const;

private:
    sigset_t m_old_mask{};
    FileHandle m_file;
};

}  // namespace osyl::posix
