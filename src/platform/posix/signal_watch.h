#pragma once

#include "platform/files.h"

#include <signal.h>

#include <array>
#include <optional>

namespace osyl::posix {

// Turns SIGTERM, SIGINT and SIGHUP into readable data on a descriptor that every wait of
// the backend polls beside the display connection. A real handler writes each signal to
// a pipe; SIGTERM and SIGINT also interrupt whatever system call the program is blocked
// in (no SA_RESTART). A wait that retries after that, such as a write to a server that
// stopped reading, cannot hold them off either: unless the loop takes the request within
// exit_deadline_ms, the program ends there with status 0 and the server drops its windows.
class SignalWatch {
public:
    SignalWatch();
    SignalWatch(const SignalWatch&) = delete;
    SignalWatch& operator=(const SignalWatch&) = delete;
    ~SignalWatch();

    int fd() const { return static_cast<int>(m_read.native()); }
    // The next signal that arrived, or nothing.
    std::optional<int> take() const;

    static constexpr int exit_deadline_ms = 300;

private:
    static constexpr std::array<int, 4> watched{SIGTERM, SIGINT, SIGHUP, SIGALRM};

    FileHandle m_read;
    FileHandle m_write;
    std::array<struct sigaction, watched.size()> m_old{};
    int m_old_target = -1;
};

}  // namespace osyl::posix
